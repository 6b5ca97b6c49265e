#!/usr/bin/env bash
# Usage: walkthrough_test.sh REGSVR REG SHELL STANDIN LIBRARY
set -euo pipefail
regsvr=$1 reg=$2 shell=$3 standin=$4 library=$5
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export TOVIN_REGISTRY_FILE=$scratch/registry.db XDG_STATE_HOME=$scratch/state
export TOVINCOPY_STANDIN_LOG=$scratch/launch.log
folder=$scratch/target
mkdir "$folder"

fail() { echo "FAILED: $*" >&2; exit 1; }
expect_line() {  # TEXT LINE...: TEXT holds LINE exactly
  local text=$1; shift
  for line in "$@"; do grep -qxF -- "$line" <<<"$text" || fail "missing line '$line' in:"$'\n'"$text"; done
}

"$regsvr" /s "$library" || fail "regsvr exited $?"
"$reg" add 'HKCU\Software\Tovin Copy' /v CopyApp /d "$standin" /f >/dev/null

menu=$("$shell" menu "$folder" --plain)
expect_line "$menu" $'1\tPaste with Tovin Copy\tPaste files from clipboard using Tovin Copy\t-'

"$shell" invoke "$folder" --item "Paste with Tovin Copy" >/dev/null || fail "invoke exited $?"
for _ in $(seq 50); do [[ -s $TOVINCOPY_STANDIN_LOG ]] && break; sleep 0.1; done
expect_line "$(cat "$TOVINCOPY_STANDIN_LOG" 2>/dev/null)" "Tovin Copy (stand-in) started with the parameters: /o$folder"

"$regsvr" /u /s "$library" || fail "regsvr /u exited $?"
[[ -z $("$shell" menu "$folder" --plain) ]] || fail "the item still shows after removal"
"$reg" query 'HKCR\CLSID\{1955A1E8-C828-42AF-A571-081D65B07B83}' >/dev/null 2>&1 && fail "the class key is still there"
echo "walk-through passed"
