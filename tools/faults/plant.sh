#!/usr/bin/env bash
# Plants the faults of tools/faults/faults.txt one at a time in the 32-bit
# build, and finds the first test program that catches each.
#   tools/faults/plant.sh [--build DIR] [--out FILE] [--timeout S] [ID...]
# Each fault: substitute, rebuild, run the hinted tests, then every other
# test, until a test program fails three times in a row (the simulated line
# runs on the wall clock and some drawing tests read the screen, so one
# failure alone may be the machine). The file is put back from a copy
# whatever happens, never from git, and the tree is rebuilt at the end.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
list="$root/tools/faults/faults.txt"
build="$root/build"
out=""
per_test=400
ids=()
while [ $# -gt 0 ]; do
    case "$1" in
    --build) build=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --timeout) per_test=$2; shift 2 ;;
    -h | --help) sed -n '2,9p' "$0"; exit 0 ;;
    *) ids+=("$1"); shift ;;
    esac
done
build=$(cd "$build" && pwd) || { echo "no build tree: $build" >&2; exit 2; }
out=${out:-$build/faults-result.txt}

# Reads the list; `check` prints one line per chosen fault,
# ID<TAB>ok-or-reason<TAB>path<TAB>hints; `apply ID PATH` plants it.
faults_py='
import subprocess, sys
root, listfile, cmd = sys.argv[1:4]
args = sys.argv[4:]

def entries():
    for n, line in enumerate(open(listfile, encoding="utf-8"), 1):
        line = line.rstrip("\n")
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        f = line.split(" | ")
        if len(f) != 6:
            yield {"id": f[0].strip() or "line%d" % n, "bad": "line %d has %d fields, not 6" % (n, len(f))}
            continue
        yield {"id": f[0].strip(), "file": f[1].strip(), "old": f[2].replace("\\n", "\n"),
               "new": f[3].replace("\\n", "\n"), "hint": f[4].strip(), "bad": None}

def locate(e):
    files = subprocess.run(["git", "-C", root, "ls-files"], capture_output=True, text=True).stdout.split()
    found = [p for p in files if not p.startswith("tests/") and p.rsplit("/", 1)[-1] == e["file"]]
    if len(found) != 1:
        return None, "%s names %d product files" % (e["file"], len(found))
    text = open(root + "/" + found[0], encoding="utf-8").read()
    count = text.count(e["old"]) if e["old"] else 0
    if count != 1:
        return None, "the old text occurs %d times in %s" % (count, found[0])
    return found[0], None

all_entries = list(entries())
if cmd == "check":
    known = {e["id"] for e in all_entries}
    for wanted in args:
        if wanted not in known:
            print("%s\tunknown fault\t\t" % wanted)
    for e in all_entries:
        if args and e["id"] not in args:
            continue
        path, bad = (None, e["bad"]) if e["bad"] else locate(e)
        print("%s\t%s\t%s\t%s" % (e["id"], bad or "ok", path or "", e.get("hint", "")))
elif cmd == "apply":
    e = next(e for e in all_entries if e["id"] == args[0])
    path = root + "/" + args[1]
    text = open(path, encoding="utf-8").read()
    open(path, "w", encoding="utf-8").write(text.replace(e["old"], e["new"], 1))
'
faults() { python3 -c "$faults_py" "$root" "$list" "$@"; }

. "$root/tools/wine-session.sh"
scratch=$(mktemp -d)
planted=""      # the product file that holds a fault right now
touched=0
restore() {
    if [ -n "$planted" ]; then
        cat "$scratch/original" >"$root/$planted"
        planted=""
    fi
}
finish() {
    restore
    if [ "$touched" = 1 ]; then
        echo "rebuilding the unfaulted tree"
        cmake --build "$build" -j2 >"$scratch/build.log" 2>&1 || { echo "REBUILD FAILED:"; tail -n 30 "$scratch/build.log"; }
    fi
    wine_session_stop
    rm -rf "$scratch"
}

# Runs one ctest test; on failure leaves its output in $scratch/test.log.
run_test() {
    local filter=()
    [ -n "${2:-}" ] && filter=(env "GTEST_FILTER=$2")
    "${filter[@]}" timeout -k 20 "$per_test" \
        ctest --test-dir "$build" -R "^$1\$" --output-on-failure >"$scratch/test.log" 2>&1
}
failed_names() {
    python3 -c '
import re, sys
names = []
for line in open(sys.argv[1], errors="replace"):
    m = re.match(r"\[  FAILED  \] (\S+\.\S+)", line)
    if m and m.group(1) not in names:
        names.append(m.group(1))
print(" ".join(names))' "$scratch/test.log"
}

# The first test program that catches the planted fault: "NAME: TESTS", or
# nothing.
find_catcher() {
    local hints=$1 t order=() rest=() h names again rerun
    for t in $all_tests; do
        local hinted=0
        for h in $hints; do [[ "$t" == *"$h"* ]] && hinted=1; done
        if [ $hinted = 1 ]; then order+=("$t"); else rest+=("$t"); fi
    done
    for t in "${order[@]}" "${rest[@]}"; do
        run_test "$t" && continue
        names=$(failed_names)
        # What failed is run twice more, alone, and must fail both times:
        # some drawing and timing tests fail now and then on a busy machine.
        for again in 2 3; do
            [ -z "$names" ] && break
            if run_test "$t" "${names// /:}"; then
                echo "  ($t failed $((again - 1)) time(s), then passed: $names)" >&2
                continue 2
            fi
            rerun=$(failed_names)
            [ -n "$rerun" ] && names=$rerun
        done
        [ -z "$names" ] && names="no test named ($(grep -m1 -E '\*\*\*|Exit code|Timeout' "$scratch/test.log" | sed 's/^ *//'))"
        echo "$t: $names"
        return
    done
}

mapfile -t chosen < <(faults check "${ids[@]}")
started=$(date +%s)
wine_session_start "$build" x86 || exit 2
trap finish EXIT
trap 'exit 130' INT TERM
all_tests=$(ctest --test-dir "$build" -N | sed -n 's/^ *Test *#[0-9]*: //p')
: >"$out"
caught=0 missed=0 broken=0
report() { echo "$1" | tee -a "$out"; }

for line in "${chosen[@]}"; do
    IFS=$'\t' read -r id state path hints <<<"$line"
    if [ "$state" != ok ]; then
        report "$id BROKEN: $state"; broken=$((broken + 1)); continue
    fi
    fault_started=$(date +%s)
    cp "$root/$path" "$scratch/original"
    planted=$path
    touched=1
    faults apply "$id" "$path"
    if ! cmake --build "$build" -j2 >"$scratch/build.log" 2>&1; then
        restore
        report "$id BROKEN: does not compile ($(grep -m1 'error' "$scratch/build.log"))"
        broken=$((broken + 1)); continue
    fi
    catcher=$(find_catcher "$hints")
    restore
    if [ -n "$catcher" ]; then
        report "$id caught by $catcher"; caught=$((caught + 1))
    else
        report "$id NOT CAUGHT"; missed=$((missed + 1))
    fi
    echo "  ($id: $(( $(date +%s) - fault_started )) s)" >&2
done

valid=$((caught + missed))
report "$caught caught of $valid faults ($missed not caught, $broken broken) in $(( ($(date +%s) - started) / 60 )) min $(( ($(date +%s) - started) % 60 )) s"
[ "$missed" = 0 ] && [ "$broken" = 0 ]
