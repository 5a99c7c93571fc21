cmake_policy(VERSION 3.25)
# Checks that AVX and AVX-512 instructions in the effect library lie only in the kernel code built
# for those instruction sets (isa_confinement.awk says how), so the library still runs on a
# processor with SSE2 alone. Reads the disassembly with binutils' objdump, independent of our code.
# Usage: cmake -DOBJDUMP=... -DLIBRARY=.../Nebulastra.aex -P CheckIsaConfinement.cmake

execute_process(COMMAND ${OBJDUMP} -d -C --insn-width=16 ${LIBRARY}
                COMMAND awk -f ${CMAKE_CURRENT_LIST_DIR}/isa_confinement.awk
                OUTPUT_VARIABLE report ERROR_VARIABLE errors RESULTS_VARIABLE codes)
list(GET codes 0 objdump_code)
list(GET codes 1 awk_code)
if(NOT objdump_code EQUAL 0)
  message(FATAL_ERROR "objdump could not disassemble ${LIBRARY}: ${errors}")
endif()
string(STRIP "${report}" report)
if(awk_code EQUAL 2)
  message(FATAL_ERROR "${LIBRARY}: ${report}")
elseif(NOT awk_code EQUAL 0)
  message(FATAL_ERROR "${LIBRARY}: instructions outside their instruction-set path:\n${report}")
endif()
message(STATUS "${LIBRARY}: ${report}")
