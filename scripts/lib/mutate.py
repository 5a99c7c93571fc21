#!/usr/bin/env python3
"""Mutation pass: does the test suite notice when the effect's code is wrong?

Each mutant in the list is one small fault (a flipped comparison, a dropped term, two channels
swapped, a loop bound off by one, a handler that zeroes what it should pass on). The pass copies
the tree into a scratch directory once, then for each mutant patches one file there, rebuilds the
native test program incrementally, runs it (stopping at the first failure) under a timeout and
restores the file. A mutant the compiler rejects is "not viable" and left out of the ratio.

Results are appended to <workdir>/results.tsv as they come, so an interrupted pass resumes where
it stopped; they are discarded when the tests or the mutant list change.
"""
import argparse
import hashlib
import os
import re
import shutil
import subprocess
import sys
import time

LINE = re.compile(r"^(\S+)\s+(\S+)\s+`(.*)`\s+->\s+`(.*)`\s*$")


def parse_mutants(path):
    mutants = []
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            m = LINE.match(line)
            if not m:
                sys.exit(f"{path}:{number}: expected: KIND FILE[@N] `from` -> `to`")
            kind, target, old, new = m.groups()
            old, new = old.replace("\\n", "\n"), new.replace("\\n", "\n")
            occurrence = 1
            if "@" in target:
                target, occurrence = target.split("@")
                occurrence = int(occurrence)
            key = hashlib.sha1(f"{target}\0{occurrence}\0{old}\0{new}".encode()).hexdigest()[:10]
            name = f"{os.path.basename(target)}:{kind}:{key[:6]}"
            mutants.append(dict(kind=kind, file=target, occurrence=occurrence, old=old, new=new,
                                key=key, name=name, line=number))
    return mutants


def apply(text, mutant):
    """The file's text with the mutant's occurrence replaced, or None if the pattern is missing."""
    start = -1
    for _ in range(mutant["occurrence"]):
        start = text.find(mutant["old"], start + 1)
        if start < 0:
            return None
    if mutant["occurrence"] == 1 and text.find(mutant["old"], start + 1) >= 0:
        raise ValueError("pattern occurs more than once; add @N to the file name")
    return text[:start] + mutant["new"] + text[start + len(mutant["old"]):]


def tree_digest(root, parts):
    h = hashlib.sha1()
    for part in parts:
        for dirpath, dirnames, filenames in sorted(os.walk(os.path.join(root, part))):
            dirnames.sort()
            for name in sorted(filenames):
                p = os.path.join(dirpath, name)
                h.update(os.path.relpath(p, root).encode())
                with open(p, "rb") as f:
                    h.update(f.read())
    return h.hexdigest()[:12]


def sync_tree(source, dest):
    """Makes dest a copy of source (without build output and git data), touching only files whose
    contents differ, so that the scratch build stays incremental between passes."""
    skip = {"build", "out", ".git"}
    wanted = set()
    for dirpath, dirnames, filenames in os.walk(source):
        if dirpath == source:
            dirnames[:] = [d for d in dirnames if d not in skip]
        for name in filenames:
            if dirpath == source and name == ".git":
                continue
            rel = os.path.relpath(os.path.join(dirpath, name), source)
            wanted.add(rel)
            src, dst = os.path.join(source, rel), os.path.join(dest, rel)
            with open(src, "rb") as f:
                data = f.read()
            if os.path.exists(dst):
                with open(dst, "rb") as f:
                    if f.read() == data:
                        continue
            os.makedirs(os.path.dirname(dst), exist_ok=True)
            shutil.copyfile(src, dst)
            shutil.copymode(src, dst)
    for dirpath, _, filenames in os.walk(dest):
        for name in filenames:
            rel = os.path.relpath(os.path.join(dirpath, name), dest)
            if rel not in wanted:
                os.remove(os.path.join(dest, rel))


def run(cmd, cwd, timeout=None, env=None):
    try:
        r = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                           timeout=timeout, env=env)
        return r.returncode, r.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired:
        return "timeout", ""


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--mutants", default=os.path.join(root, "tests/mutation/mutants.txt"))
    ap.add_argument("--workdir", default=os.path.join(root, "build/mutation"))
    ap.add_argument("--fresh", action="store_true", help="forget earlier results and start over")
    ap.add_argument("--only", help="run only mutants whose name or file contains this text")
    ap.add_argument("--list", action="store_true", help="check the list applies, then stop")
    ap.add_argument("--matrix", action="store_true",
                    help="run every test for every mutant (slower) and report which tests alone kill a mutant")
    args = ap.parse_args()

    mutants = parse_mutants(args.mutants)
    if args.only:
        mutants = [m for m in mutants if args.only in m["name"] or args.only in m["file"]]

    # Every pattern must apply to the tree as it is: a stale entry is an error, not a survivor.
    for m in mutants:
        with open(os.path.join(root, m["file"]), encoding="utf-8") as f:
            try:
                if apply(f.read(), m) is None:
                    sys.exit(f"{args.mutants}:{m['line']}: pattern not found in {m['file']}")
            except ValueError as e:
                sys.exit(f"{args.mutants}:{m['line']}: {e}")
    print(f"{len(mutants)} mutants in {len(set(m['file'] for m in mutants))} files")
    if args.list:
        return 0

    work = os.path.abspath(args.workdir)
    tree = os.path.join(work, "tree")
    build = os.path.join(work, "build")
    results_path = os.path.join(work, "results.tsv")
    os.makedirs(work, exist_ok=True)

    # The scratch tree: a copy of the working tree, so editing files during a pass changes nothing.
    sync_tree(root, tree)
    stamp = tree_digest(tree, ["src", "tests", "tools"]) + "-" + tree_digest(os.path.dirname(args.mutants), ["."])

    done = {}
    killers = {}  # mutant key -> the tests that failed on it
    if os.path.exists(results_path) and not args.fresh:
        with open(results_path, encoding="utf-8") as f:
            lines = f.read().splitlines()
        if lines and lines[0] == f"# {stamp}":
            for row in lines[1:]:
                fields = row.split("\t")
                done[fields[0]] = (fields[1], float(fields[2]))
                killers[fields[0]] = fields[4].split(",") if len(fields) > 4 and fields[4] else []
        else:
            print("tests or mutants changed since the last pass: starting over")
    if not done:
        with open(results_path, "w", encoding="utf-8") as f:
            f.write(f"# {stamp}\n")

    nice = ["nice", "-n", os.environ.get("MUTATION_NICE", "15")]
    build_cmd = nice + ["cmake", "--build", build, "--target", "nebulastra_tests", "-j", os.environ.get("MUTATION_JOBS", "1")]
    bin_dir = os.path.join(build, "bin")
    test_cmd = nice + [os.path.join(bin_dir, "nebulastra_tests"), "--gtest_brief=1"]
    if not args.matrix:
        test_cmd.append("--gtest_fail_fast")
    if not os.path.exists(os.path.join(build, "build.ninja")):
        subprocess.run(["cmake", "-S", tree, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release"],
                       check=True, stdout=subprocess.DEVNULL)

    # The unmutated tree must build and pass; its test time sets the timeout.
    print("building the unmutated tree ...", flush=True)
    code, out = run(build_cmd, build)
    if code != 0:
        sys.exit("the unmutated tree does not build:\n" + out[-3000:])
    t0 = time.time()
    code, out = run(test_cmd, bin_dir)
    baseline = time.time() - t0
    if code != 0:
        sys.exit("the unmutated tree fails its tests:\n" + out[-3000:])
    timeout = max(60.0, 3 * baseline + 30)
    print(f"tests pass in {baseline:.0f} s; timeout per mutant {timeout:.0f} s", flush=True)

    todo = [m for m in mutants if m["key"] not in done]
    spent = [s for _, s in done.values()]
    for i, m in enumerate(todo, 1):
        per = (sum(spent) / len(spent)) if spent else baseline + 30
        left = per * (len(todo) - i + 1)
        print(f"[{i}/{len(todo)}, about {left / 60:.0f} min left] {m['name']} ({m['file']}: "
              f"`{m['old']}` -> `{m['new']}`) ... ", end="", flush=True)
        path = os.path.join(tree, m["file"])
        backup = path + ".mutation-original"
        with open(path, encoding="utf-8") as f:
            original = f.read()
        start = time.time()
        shutil.copy2(path, backup)
        try:
            with open(path, "w", encoding="utf-8") as f:
                f.write(apply(original, m))
            code, _ = run(build_cmd, build)
            if code != 0:
                status = "not-viable"
            else:
                code, out = run(test_cmd, bin_dir, timeout=timeout)
                status = "survived" if code == 0 else "killed"
                failed = sorted(set(re.findall(r"^\[  FAILED  \] (\S+\.\S+)", out, re.M)))
                if not failed and code != 0:
                    failed = ["(timeout)" if code == "timeout" else "(crash)"]
                killers[m["key"]] = failed
        finally:
            os.replace(backup, path)
            os.utime(path)  # newer than the mutant's object file: the next build recompiles it
        seconds = time.time() - start
        spent.append(seconds)
        done[m["key"]] = (status, seconds)
        print(f"{status} ({seconds:.0f} s)", flush=True)
        with open(results_path, "a", encoding="utf-8") as f:
            f.write(f"{m['key']}\t{status}\t{seconds:.1f}\t{m['name']}\t{','.join(killers.get(m['key'], []))}\n")

    # Summary over the whole list.
    by = {"killed": [], "survived": [], "not-viable": []}
    for m in mutants:
        by[done[m["key"]][0]].append(m)
    viable = len(by["killed"]) + len(by["survived"])
    print(f"\nkilled {len(by['killed'])}, survived {len(by['survived'])}, "
          f"not viable {len(by['not-viable'])}; kill ratio "
          f"{(100.0 * len(by['killed']) / viable) if viable else 0:.1f} % of {viable} viable mutants; "
          f"{sum(s for _, s in done.values()) / 60:.0f} min of building and testing")
    for status in ("survived", "not-viable"):
        for m in by[status]:
            print(f"  {status}: {m['name']}  {m['file']}: `{m['old']}` -> `{m['new']}`  "
                  f"(mutants.txt line {m['line']})")
    if args.matrix:
        # Tests that are the only one to catch some mutant: the ones a pruning must keep.
        sole = {}
        for m in by["killed"]:
            tests = killers.get(m["key"], [])
            if len(tests) == 1:
                sole.setdefault(tests[0], []).append(m["name"])
        print("\ntests that alone kill a mutant:")
        for test, names in sorted(sole.items()):
            print(f"  {test}: {', '.join(names)}")
    return 0 if not by["survived"] else 1


if __name__ == "__main__":
    sys.exit(main())
