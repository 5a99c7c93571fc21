# Reads `objdump -d -C --insn-width=16` of the effect library and reports every function that
# holds a VEX- or EVEX-encoded instruction (AVX, AVX2, FMA, BMI2, AVX-512, mask registers) outside
# the kernel builds made for those instruction sets: VEX code may run only in functions of the
# namespaces nebulastra::simd_avx2 or nebulastra::simd_avx512, EVEX code only in simd_avx512.
# Anything else would fault on a processor without them, typically an inline function or template
# instantiated in an AVX translation unit whose copy the linker kept for the baseline code too.
#
# The encoding is read from the instruction bytes, not the mnemonic: in 64-bit mode the bytes C4
# and C5 start a VEX prefix and 62 an EVEX prefix (after optional segment or address-size
# prefixes), whatever the assembler calls the instruction.
# Output: one line per offending function; exit status 1 when there is any, 2 when the file has no
# function symbols to judge by (stripped), 0 otherwise.
BEGIN { FS = "\t"; functions = 0; offenders = 0; avx2 = 0; avx512 = 0 }

/^[0-9a-f]+ <.*>:$/ {
    fn = $0
    sub(/^[0-9a-f]+ </, "", fn)
    sub(/>:$/, "", fn)
    functions++
    if (fn == "EffectMain") sawEntry = 1
    next
}

/^ *[0-9a-f]+:\t/ {
    n = split($2, b, " ")
    i = 1
    while (i <= n && b[i] ~ /^(26|2e|36|3e|64|65|67)$/) i++
    if (b[i] == "62") kind = "AVX-512 (EVEX)"
    else if (b[i] == "c4" || b[i] == "c5") kind = "AVX (VEX)"
    else next
    # A name the demangler gives up on (deeply nested lambdas, or a conversion operator template,
    # in an unoptimised build) stays mangled: its namespace is then read from the mangled form,
    # N10nebulastra9simd_avx2..., where a member function's qualifiers (r, V, K, R, O) may come
    # between the N and the name.
    if (fn ~ /simd_avx512::/ || fn ~ /^_Z+N[rVKRO]*10nebulastra11simd_avx512/) { wide[fn] = 1; next }
    if ((fn ~ /simd_avx2::/ || fn ~ /^_Z+N[rVKRO]*10nebulastra9simd_avx2/) && kind == "AVX (VEX)") { narrow[fn] = 1; next }
    count[fn]++
    if (!(fn in first)) {
        text = $3
        gsub(/ +/, " ", text)
        addr = $1
        gsub(/[ :]/, "", addr)
        first[fn] = kind " instruction at " addr ": " text
        order[++offenders] = fn
    }
}

END {
    if (functions == 0 || !sawEntry) {
        print "no function symbols (EffectMain not found): the library is stripped, cannot tell functions apart"
        exit 2
    }
    for (k = 1; k <= offenders; k++) {
        fn = order[k]
        printf "%s: %d instruction(s) outside its instruction-set path, first %s\n", fn, count[fn], first[fn]
    }
    if (offenders > 0) exit 1
    for (f in narrow) avx2++
    for (f in wide) avx512++
    printf "%d functions; AVX code in %d of nebulastra::simd_avx2 and %d of simd_avx512, none elsewhere\n",
           functions, avx2, avx512
}
