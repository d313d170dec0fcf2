#!/usr/bin/env bash
# Runs one end-to-end case of the Windows build under wine and checks that
# standard output matches the case's expected.txt byte for byte and that the
# exit status is 9:
#
#   wine_case.sh ZUDIZ.exe LAUNCH_RAW.exe CASE_DIR WORK_ROOT WINE_RUN...
#
# WINE_RUN... is the command that runs a Windows program (wine-run.sh with
# its options). The case's files are copied to WORK_ROOT/<kind>/<case>/,
# which becomes the current directory, and zudiz.exe is started there by
# launch_raw.exe with an exact command line:
#
# - A case with a cmdline file (tests/cases_windows/) uses that file's bytes
#   as the whole command line, program name first, in the ANSI code page;
#   one line end at its end is dropped. Drive W: is mapped to
#   tests/cases_windows, so W:\<case>\ is the case's source folder.
# - A case with an args file (tests/cases/) gets a line that the program
#   splits back into the words of args (one a line): "zudiz" and the words
#   joined by blanks, a word that is empty or holds a blank, and no double
#   quote, wrapped in quotes.
# - A case with a run.sh (tests/cases/) is run by bash with, as $1, a script
#   that starts zudiz.exe under wine with its arguments; wine makes the
#   command line from them (words with blanks are quoted).
set -euo pipefail

zudiz="$1"
launcher="$2"
case_dir="$3"
work_root="$4"
shift 4

name="$(basename "$case_dir")"
if [ -f "$case_dir/cmdline" ]; then
  kind=windows how=cmdline
elif [ -f "$case_dir/run.sh" ]; then
  kind=golden how=script
else
  kind=golden how=args
fi
work="$work_root/$kind/$name"
shim="$work_root/$kind/$name.zudiz"
cmdfile="$work_root/$kind/$name.cmdline"
outfile="$work_root/$kind/$name.out"

# The Windows name of a file: wine maps drive Z: to the root folder.
winpath() {
  local full
  full="$(cd "$(dirname "$1")" && pwd -P)/$(basename "$1")"
  printf 'Z:%s' "${full//\//\\}"
}

rm -rf "$work"
mkdir -p "$work"
cp -R "$case_dir/." "$work/"
rm -f "$work/args" "$work/cmdline" "$work/expected.txt" "$work/README" \
  "$work/run.sh"

if [ "$how" = cmdline ]; then
  cp "$case_dir/cmdline" "$cmdfile"
elif [ "$how" = script ]; then
  { echo '#!/usr/bin/env bash'; printf 'exec'; printf ' %q' "$@" "$zudiz"
    echo ' "$@"'; } >"$shim"
  chmod +x "$shim"
else
  line="zudiz"
  while IFS= read -r word || [ -n "$word" ]; do
    if [ -z "$word" ] || { [[ "$word" == *" "* ]] && [[ "$word" != *'"'* ]]; }; then
      word="\"$word\""
    fi
    line+=" $word"
  done <"$case_dir/args"
  printf '%s' "$line" >"$cmdfile"
fi

status=0
if [ "$how" = script ]; then
  (cd "$work" && bash "$case_dir/run.sh" "$shim") >"$outfile" || status=$?
else
  (cd "$work" && "$@" "$launcher" "$(winpath "$zudiz")" "$(winpath "$cmdfile")") \
    >"$outfile" || status=$?
fi

failed=0
if [ "$status" -ne 9 ]; then
  echo "exit status $status, expected 9"
  failed=1
fi
if ! cmp -s "$case_dir/expected.txt" "$outfile"; then
  echo "standard output differs from $case_dir/expected.txt"
  echo "(- expected, + actual; cat -A notation)"
  diff -u <(cat -A "$case_dir/expected.txt") <(cat -A "$outfile") | tail -n +3 || true
  failed=1
fi
exit "$failed"
