#!/usr/bin/env bash
# Installs what is needed, builds and runs every test: the suite, the core
# suites again as Windows programs under wine (with an end-to-end comparison
# of the Windows and Linux command-line programs), the suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, a check that the core
# library stays free of Qt, and a short run of every fuzz target.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"
fuzz_seconds="${SW_FUZZ_SECONDS:-20}"
"$root/tools/install-deps.sh"

echo "== core library free of Qt"
if grep -rnE '^\s*#\s*include\s*[<"]Q' "$root/src" --include='*.h' --include='*.cpp' | grep -v "^$root/src/gui/"; then
  echo "Qt headers included outside src/gui" >&2
  exit 1
fi

echo "== build and test"
cmake -S "$root" -B "$root/build/test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build/test" -j"$jobs"
ctest --test-dir "$root/build/test" --output-on-failure -j"$jobs"

echo "== Windows: cross-build (MinGW-w64, Release, no window program) and core tests under wine"
windows_start=$SECONDS
# shellcheck source=tools/windows-env.sh
. "$root/tools/windows-env.sh"
cmake -S "$root" -B "$root/build/windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DSW_GUI=OFF -DSW_BENCH=OFF >/dev/null
cmake --build "$root/build/windows" -j"$jobs"
ctest --test-dir "$root/build/windows" --output-on-failure -j"$jobs"
"$root/tools/windows-e2e.sh" "$root/build/test/bin" "$root/build/windows/bin"
sw_wine_stop
echo "-- Windows stage: $((SECONDS - windows_start)) s"

echo "== build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$root" -B "$root/build/asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSW_SANITIZE=ON -DSW_BENCH=OFF >/dev/null
cmake --build "$root/build/asan" -j"$jobs"
LSAN_OPTIONS=suppressions="$root/tools/lsan.supp" ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build/asan" --output-on-failure -j"$jobs"

echo "== fuzz targets, ${fuzz_seconds} s each"
cmake -S "$root" -B "$root/build/fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSW_FUZZ=ON -DSW_TESTS=OFF -DSW_BENCH=OFF -DSW_GUI=OFF >/dev/null
cmake --build "$root/build/fuzz" -j"$jobs"
while read -r target seeds; do
  [ -n "$target" ] || continue
  name="$(basename "$target")"
  work="$root/build/fuzz/corpus/$name"
  mkdir -p "$work"
  echo "-- $name"
  # shellcheck disable=SC2086  # seeds is a list of folders
  "$target" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=0 \
    "$work" $seeds >"$root/build/fuzz/$name.log" 2>&1 || { tail -50 "$root/build/fuzz/$name.log"; exit 1; }
done <"$root/build/fuzz/fuzzers.txt"
echo "all tests passed"
