#!/usr/bin/env bash
# Builds Release and runs every benchmark, each case in a process of its own
# (so that its peak memory is its own) and several times, then prints one
# table: the median time, the median peak memory and the goal ratios, all
# computed from this run. The job file writer and the plain reads it is
# compared with share one process and one set-up (their memory is no goal).
# The full read holds one view at a time, as a pass over a large file does.
#
#   tools/bench.sh            # 5 runs per case
#   SW_BENCH_RUNS=3 tools/bench.sh
#
# Sizes: the reference storage (200,000 TreeTable rows, 600,000 LogTable
# rows, about 123 MB) and one tenth of it; the import of 200,000 and 20,000
# trees with three logs each.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${SW_BENCH_RUNS:-5}"
build="$root/build/release"
work="$(mktemp -d "${TMPDIR:-/tmp}/sw_bench.XXXXXX")"
trap 'rm -rf "$work"; rm -f "${TMPDIR:-/tmp}"/sw_storage_bench_*.mk4' EXIT

echo "== building Release in $build" >&2
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSW_BENCH=ON -DSW_TESTS=OFF -DSW_GUI=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
find_bench() {  # the program of that name in the build's bin/
  [ -x "$build/bin/$1" ] || { echo "no benchmark program $1" >&2; exit 1; }
  echo "$build/bin/$1"
}

results="$work/results.tsv"
: >"$results"

# case LABEL PROGRAM FILTER: runs one Google Benchmark case $runs times.
run_case() {
  local label="$1" program="$2" filter="$3" i
  echo "-- $label" >&2
  for i in $(seq "$runs"); do
    "$program" --benchmark_filter="^${filter}(/iterations:[0-9]+)?\$" --benchmark_format=json --benchmark_out="$work/out.json" \
      --benchmark_out_format=json >/dev/null 2>"$work/err.txt" || { cat "$work/err.txt" >&2; exit 1; }
    python3 - "$label" "$work/out.json" >>"$results" <<'PY'
import json, sys
label, path = sys.argv[1], sys.argv[2]
data = json.load(open(path))
rows = [b for b in data["benchmarks"] if b.get("run_type", "iteration") == "iteration"]
if not rows:
    sys.exit("no result for " + label)
b = rows[0]
scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b.get("time_unit", "ns")]
# The benchmarks report their peak resident memory in MiB; the table uses MB
# (10^6 bytes) like the file size it is compared with.
peak = next((b[k] for k in ("peak_rss_MB", "peak_MiB", "peak_rss_MiB") if k in b), float("nan"))
print(f"{label}\t{b['real_time'] * scale:.4f}\t{b.get('cpu_time', 0) * scale:.4f}\t{peak * 1.048576:.1f}")
PY
  done
}

# group PROGRAM FILTER NAME=LABEL...: runs the matching Google Benchmark cases
# in one process, $runs repetitions each, for cases that share a costly set-up
# and whose peak memory is not a goal.
run_group() {
  local program="$1" filter="$2"
  shift 2
  echo "-- ${*//=/ as }" >&2
  "$program" --benchmark_filter="$filter" --benchmark_repetitions="$runs" --benchmark_format=json \
    --benchmark_out="$work/out.json" --benchmark_out_format=json >/dev/null 2>"$work/err.txt" || { cat "$work/err.txt" >&2; exit 1; }
  python3 - "$work/out.json" "$@" >>"$results" <<'PY'
import json, sys
data = json.load(open(sys.argv[1]))
labels = dict(arg.split("=", 1) for arg in sys.argv[2:])
for b in data["benchmarks"]:
    label = labels.get(b.get("run_name", b["name"]))
    if label is None or b.get("run_type", "iteration") != "iteration":
        continue
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b.get("time_unit", "ns")]
    print(f"{label}\t{b['real_time'] * scale:.4f}\t{b.get('cpu_time', 0) * scale:.4f}\tnan")
PY
}

# program LABEL -- COMMAND...: runs a program $runs times under /usr/bin/time.
run_program() {
  local label="$1" i
  shift 2
  echo "-- $label" >&2
  for i in $(seq "$runs"); do
    /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" >"$work/program.out"
    awk -v l="$label" '{printf "%s\t%.4f\t%.4f\t%.1f\n", l, $1, $2 + $3, $4 * 1024 / 1e6}' "$work/time.txt" >>"$results"
  done
}

storage="$(find_bench storage_bench)"
import="$(find_bench import_bench)"
export_bench="$(find_bench export_bench)"
dump="$(find_bench stumpwright-dump)"

for size in "20000/60000" "200000/600000"; do
  run_case "storage write $size" "$storage" "BM_AddAndCommit/$size"
  run_case "storage read all $size" "$storage" "BM_ReadEverything/$size"
  run_case "storage read one view $size" "$storage" "BM_ReadOneView/$size"
  file="${TMPDIR:-/tmp}/sw_storage_bench_${size/\//_}.mk4"
  run_program "dump $size" -- "$dump" "$file"
  echo "$file" >>"$work/files.txt"
done
for trees in 20000 200000; do
  run_case "bare load $trees" "$import" "BM_BareLoad/$trees"
  run_case "import $trees" "$import" "BM_Import/$trees"
done
run_case "job readers 200000" "$(find_bench jobfile_readers_bench)" "BM_ReadJobFileIntoCruiseFile/200000"
run_group "$export_bench" "BM_(WriteJobFile|ReadRows|ReadRowsInPlace)$" "BM_WriteJobFile=job file write" \
  "BM_ReadRows=job file read rows" "BM_ReadRowsInPlace=job file read rows in place"

python3 - "$results" "$work/files.txt" <<'PY'
import os, statistics, sys
rows = {}
order = []
for line in open(sys.argv[1]):
    label, real, cpu, peak = line.rstrip("\n").split("\t")
    if label not in rows:
        rows[label] = []
        order.append(label)
    rows[label].append((float(real), float(cpu), float(peak)))
files = {}
for path in open(sys.argv[2]).read().split():
    size = os.path.basename(path)[len("sw_storage_bench_"):-len(".mk4")].replace("_", "/")
    files[size] = os.path.getsize(path) / 1e6 if os.path.exists(path) else 0.0

med = lambda label, i: statistics.median(r[i] for r in rows[label]) if label in rows else float("nan")
# Time is wall-clock (median s) and the process's CPU time (cpu s); on a busy
# machine the CPU time is the steadier figure.
print(f"{'case':38} {'runs':>4} {'median s':>9} {'cpu s':>8} {'peak MB':>8}")
for label in order:
    print(f"{label:38} {len(rows[label]):4d} {med(label, 0):9.3f} {med(label, 1):8.3f} {med(label, 2):8.1f}")

ref = "200000/600000"
library_read = 0.59  # the library's own full read of the reference storage, measured on this machine
print()
print(f"{'goal':60} {'measured':>10} {'target':>8}")
def goal(text, value, target, fmt="{:.2f}"):
    print(f"{text:60} {fmt.format(value):>10} {target:>8}")
goal("read all fields, CPU s / library's 0.59 s", med("storage read all " + ref, 1) / library_read, "<= 0.50")
goal("read all fields, peak MB / file MB", med("storage read all " + ref, 2) / max(files.get(ref, 0), 1e-9), "< 1.00")
goal("dump, peak MB / file MB", med("dump " + ref, 2) / max(files.get(ref, 0), 1e-9), "< 1.00")
goal("dump, wall s (6.9 s before)", med("dump " + ref, 0), "<= 6.9")
goal("dump, CPU s", med("dump " + ref, 1), "")
goal("job file writer / bare read of the same rows", med("job file write", 0) / med("job file read rows", 0), "<= 3")
goal("job file writer / the same rows read in place", med("job file write", 0) / med("job file read rows in place", 0), "")
goal("import 200000 / bare load 200000", med("import 200000", 0) / med("bare load 200000", 0), "<= 1.5")
goal("import 200000 / import 20000 (10x the input)", med("import 200000", 0) / med("import 20000", 0), "<= 11")
goal("reference file MB", files.get(ref, 0), "")
PY
