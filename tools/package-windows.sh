#!/usr/bin/env bash
# Cross-builds the Windows programs in Release and packs
# build/stumpwright-windows-x64.zip: stumpwright-cli.exe, stumpwright-dump.exe,
# CruiseDefault.stp, the growth-model species file GROvariantSpecies.mk4 and
# a short README. The programs are linked statically; the script checks
# that they need no DLL beyond those every Windows has.
#   tools/package-windows.sh [BUILD_DIR]     (default build/windows)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/windows}"
out="$root/build/stumpwright-windows-x64.zip"

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DSW_GUI=OFF -DSW_BENCH=OFF -DSW_TESTS=OFF >/dev/null
fi
# The base dictionary is compiled by a Windows program, so wine runs it.
# shellcheck source=tools/windows-env.sh
. "$root/tools/windows-env.sh"
cmake --build "$build" --target stumpwright-cli stumpwright-dump base_dictionary species_file
sw_wine_stop

bin="$build/bin"
files=(stumpwright-cli.exe stumpwright-dump.exe CruiseDefault.stp)
if [ -f "$bin/GROvariantSpecies.mk4" ]; then
  files+=(GROvariantSpecies.mk4)
else
  echo "package-windows: no GROvariantSpecies.mk4 in $bin; the zip goes without it" >&2
fi

# Only system DLLs: anything else would have to travel in the zip.
allowed='^(kernel32|msvcrt|shell32|user32|advapi32|ws2_32|bcrypt|ntdll|ucrtbase|api-ms-win-.*)\.dll$'
for exe in stumpwright-cli.exe stumpwright-dump.exe; do
  while read -r dll; do
    if ! echo "$dll" | tr '[:upper:]' '[:lower:]' | grep -Eq "$allowed"; then
      echo "package-windows: $exe needs $dll, which Windows does not have" >&2
      exit 1
    fi
  done < <(x86_64-w64-mingw32-objdump -p "$bin/$exe" | sed -n 's/^\s*DLL Name: //p')
done

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/stumpwright"
for f in "${files[@]}"; do cp "$bin/$f" "$stage/stumpwright/"; done
# Notepad of older Windows shows LF-only text as one line.
sed 's/$/\r/' >"$stage/stumpwright/README.txt" <<'TEXT'
Stumpwright for Windows (64-bit)

Unpack the whole folder anywhere; the programs need CruiseDefault.stp beside
them and nothing else (no installation, no extra DLL).

Open a command window (cmd or PowerShell) in the folder of your files and run:

  C:\path\to\stumpwright\stumpwright-cli.exe sale7.key
      job and key files to the cruise file sale7.crz
  C:\path\to\stumpwright\stumpwright-cli.exe --version7 sale7.crz
      cruise file to Version 7 key and job files
  C:\path\to\stumpwright\stumpwright-cli.exe --help
      every option and the exit codes

Questions ("Cruise File exists ...") are asked in the window; answer y or n,
or give --yes or --no on the command line. Ctrl-C cancels a conversion and
leaves every existing file as it was.

stumpwright-dump.exe FILE prints a cruise file as text;
stumpwright-dump.exe --restore TEXT OUT builds one from such a text.

Files written by the programs have LF line ends, as on every other system;
files with CR LF line ends are read as well.
TEXT

rm -f "$out"
(cd "$stage" && zip -q -r -X "$out" stumpwright)
echo "$out"
unzip -l "$out"
