# shellcheck disable=SC2046
# Sourced by the Wine stages (tests/wine/stage-*) from the project root: the
# prefix, the programs, the library's keys and the counting of checks. The
# stages run under set -euo pipefail, which the counting relies on.
root=$PWD
# Key paths hold '*' and no spaces: lists of them are split into words
# unquoted, without file-name expansion.
set -f
export WINEPREFIX=${WINEPREFIX:-$root/build/wine/prefix} WINEDEBUG=${WINEDEBUG:--all}
# The programs of tests/wine/windows.cmake.
bin=${TOVIN_WINE_BIN:-$root/build/windows64/tests/bin}
wine=/usr/lib/wine/wine64
passed=0
failed=0

pass() { echo "ok $1"; passed=$((passed + 1)); }
fail() { echo "FAIL $1${2:+: $2}"; failed=$((failed + 1)); }
# check NAME COMMAND...: passes when COMMAND succeeds.
check() {
  local name=$1
  shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}
# counted PROGRAM...: runs a program that prints "ok ..." and "FAIL ..." lines
# and counts them; a non-zero exit without a FAIL line counts as one.
counted() {
  local output status=0
  output=$("$@" 2>&1 | tr -d '\r') || status=$?
  echo "$output"
  local ok bad
  ok=$(grep -c '^ok ' <<<"$output" || true)
  bad=$(grep -c '^FAIL ' <<<"$output" || true)
  if ((status != 0 && bad == 0)); then bad=1; fi
  passed=$((passed + ok))
  failed=$((failed + bad))
}
finish() {
  echo "$passed passed, $failed failed"
  ((failed == 0))
}

# The Windows path of a Unix path (Wine shows the Unix root as Z:).
winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }
# keys dump|exist|prune KEY... (tests/wine/road/keys.cpp)
keys() { "$wine" "$bin/keys.exe" "$@" </dev/null | tr -d '\r'; }

clsid='{1955A1E8-C828-42AF-A571-081D65B07B83}'
appid='{1BC25855-267B-479B-9D7D-6AD83DCCBD30}'
libid='{308D0CF8-2449-4115-9E32-FD0217BE1B79}'
handled=('*' Folder Drive Directory)
# The library's own keys below a classes root, and the shared keys above
# them that removal keeps (parents before children).
library_keys=("CLSID\\$clsid" "AppID\\$appid" 'AppID\tovincopyshl.DLL' "TypeLib\\$libid")
shared_keys=(CLSID AppID TypeLib)
for k in "${handled[@]}"; do
  library_keys+=("$k\\ShellEx\\ContextMenuHandlers\\TovinCopyShlExt")
  shared_keys+=("$k" "$k\\ShellEx" "$k\\ShellEx\\ContextMenuHandlers")
done
# under ROOT KEY...: the keys with ROOT\ before each.
under() {
  local prefix=$1
  shift
  printf '%s\n' "${@/#/$prefix\\}"
}
machine=HKLM\\Software\\Classes
user=HKCU\\Software\\Classes

# Another extension's handler keys beside the library's, below ROOT.
others() { under "$1" "${handled[@]/%/\\ShellEx\\ContextMenuHandlers\\OtherExt}"; }
# Passes when another extension's handlers are still registered.
others_kept() { test "$(keys exist $(others "$machine") $(others "$user"))" = "$(others "$machine" | sed 's/^/K /'; others "$user" | sed 's/^/K /')"; }

# Records which shared keys exist now, to give the prefix back as it was, and
# registers another extension's handlers, which removal must keep.
save_shared() {
  mapfile -t all_shared < <(under "$machine" "${shared_keys[@]}"; under "$user" "${shared_keys[@]}")
  shared_before=$(keys exist "${all_shared[@]}")
  keys add $(others "$machine") $(others "$user")
}
# Removes the other handlers and the shared keys that did not exist before
# and are empty again, children first; checks that the prefix is as it was.
restore_shared() {
  keys delete $(others "$machine") $(others "$user")
  local gone=() k i
  for ((i = ${#all_shared[@]} - 1; i >= 0; i--)); do
    k=${all_shared[i]}
    grep -Fxq "K $k" <<<"$shared_before" || gone+=("$k")
  done
  ((${#gone[@]} == 0)) || keys prune "${gone[@]}"
  local now
  now=$(keys exist "${all_shared[@]}")
  if [[ $now == "$shared_before" ]]; then
    pass "the shared keys as they were before the stage"
  else
    fail "the shared keys as they were before the stage" "$(diff <(echo "$shared_before") <(echo "$now") | grep '^[<>]' | tr '\n' ' ')"
  fi
}
# The library's keys that exist below ROOT, as "K" lines.
library_present() { keys exist $(under "$1" "${library_keys[@]}"); }

# check_rows LABEL DUMP ROWS: one check per "V"/"K" line of ROWS found in
# DUMP (keys dump output), letter case aside.
check_rows() {
  local label=$1 dump=$2 row
  while IFS= read -r row; do
    [[ -n $row ]] || continue
    check "$label: $row" grep -Fixq -- "$row" <<<"$dump"
  done <<<"$3"
}
