#!/usr/bin/env bash
# End-to-end check of the Windows command-line program against the Linux one:
# both convert the same key and job files to a cruise file and that cruise
# file back to Version 7 key and job files, in a folder whose name is not
# ASCII. The key and job files must match byte for byte, and so must the
# cruise files' dump texts once the log entries' date and time are set aside.
#   tools/windows-e2e.sh LINUX_BIN_DIR WINDOWS_BIN_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
linux_bin="$(cd "$1" && pwd)"
windows_bin="$(cd "$2" && pwd)"
# shellcheck source=tools/windows-env.sh
. "$root/tools/windows-env.sh"

work="$(mktemp -d)"
trap 'rm -rf "$work"; sw_wine_stop' EXIT
folder="Gr$(printf '\xc3\xbc')nwald Los 7"
for side in linux windows; do
  mkdir -p "$work/$side/$folder"
  cp "$root/tests/cli/data/sample7.key" "$root/tests/cli/data/sample7.job" "$work/$side/$folder/"
done

run_linux() { (cd "$work/linux/$folder" && "$linux_bin/stumpwright-cli" "$@" 2>>"$work/linux.err"); }
run_windows() { (cd "$work/windows/$folder" && "$wine" "$windows_bin/stumpwright-cli.exe" "$@" 2>>"$work/windows.err"); }

for side in linux windows; do
  "run_$side" --yes sample7.key || { cat "$work/$side.err" >&2; echo "$side: key file conversion failed" >&2; exit 1; }
  cp "$work/$side/$folder/sample7.crz" "$work/$side/imported.crz"
  "run_$side" --yes --version7 sample7.crz || { cat "$work/$side.err" >&2; echo "$side: export failed" >&2; exit 1; }
done

# Date " 3/ 5/2010" and time " 9: 7" of the log entries differ from run to
# run, and the settings name the legacy files by their full paths, which
# wine spells as Z:\tmp\... (each backslash doubled in the dump text).
windows_work="Z:$(printf '%s' "$work" | sed 's#/#\\\\#g')"
normalise() {
  sed -E 's#[ 0-9][0-9]/[ 0-9][0-9]/[0-9]{4}#<date>#g; s#(^|\t)[ 0-9][0-9]:[ 0-9][0-9](\t|$)#\1<time>\2#g' |
    E2E_UNIX="$work/$1/" E2E_WIN="$windows_work\\\\$1\\\\" awk '{
      for (prefix = ENVIRON["E2E_UNIX"]; (i = index($0, prefix)) > 0;) $0 = substr($0, 1, i - 1) "<dir>/" substr($0, i + length(prefix))
      for (prefix = ENVIRON["E2E_WIN"]; (i = index($0, prefix)) > 0;) {
        rest = substr($0, i + length(prefix)); gsub(/\\\\/, "/", rest)
        $0 = substr($0, 1, i - 1) "<dir>/" rest
      }
      print
    }'
}
status=0
for f in sample7.key sample7.job; do
  if ! cmp "$work/linux/$folder/$f" "$work/windows/$folder/$f"; then
    diff <(cat -A "$work/linux/$folder/$f") <(cat -A "$work/windows/$folder/$f") | head -20 >&2 || true
    status=1
  fi
done
for f in "imported.crz" "$folder/sample7.crz"; do
  "$linux_bin/stumpwright-dump" "$work/linux/$f" | normalise linux >"$work/linux.dump"
  "$linux_bin/stumpwright-dump" "$work/windows/$f" | normalise windows >"$work/windows.dump"
  if ! cmp -s "$work/linux.dump" "$work/windows.dump"; then
    echo "the cruise files $f differ:" >&2
    diff "$work/linux.dump" "$work/windows.dump" | head -20 >&2 || true
    status=1
  fi
done
# The Windows dump program prints the same text as the Linux one.
"$wine" "$windows_bin/stumpwright-dump.exe" "$work/windows/$folder/sample7.crz" >"$work/windows-tool.dump"
"$linux_bin/stumpwright-dump" "$work/windows/$folder/sample7.crz" >"$work/linux-tool.dump"
cmp "$work/linux-tool.dump" "$work/windows-tool.dump" || status=1
[ "$status" -eq 0 ] && echo "Windows and Linux conversions agree ($(wc -l <"$work/linux/$folder/sample7.job") job lines)"
exit "$status"
