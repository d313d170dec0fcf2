#!/usr/bin/env bash
# Runs a Windows program of the cross build under wine, quietly and without a
# display:
#   wine-run.sh [--prefix DIR] [--drive LETTER FOLDER] [PROGRAM.exe [ARGS...]]
#
# The wine prefix is DIR (the cross build passes <build>/wineprefix),
# overridden by ZUDIZ_WINEPREFIX. The first use creates the prefix, under a
# lock so that parallel tests wait for one another. A wineserver is kept for
# a minute after the last program ends, so that a series of short runs does
# not pay for a start each time. With no program, wine-run.sh only prepares
# the prefix and the server. --drive maps a drive letter of the prefix to a
# folder (Z: is always the root folder).
#
# The program's exit status is passed on. Wine's own messages go to the
# error stream; the program's standard output is left untouched.
set -euo pipefail

prefix=""
drives=()
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix="$2"; shift 2 ;;
    --drive) drives+=("$2" "$3"); shift 3 ;;
    *) break ;;
  esac
done
prefix="${ZUDIZ_WINEPREFIX:-${prefix:-${WINEPREFIX:-$HOME/.wine}}}"
case "$prefix" in
  /*) ;;
  *) prefix="$PWD/$prefix" ;;  # wine takes only an absolute prefix
esac

command -v wine >/dev/null || {
  echo "wine-run.sh: wine is not installed" >&2
  echo "  apt-get install -y wine wine64" >&2
  exit 127
}

export WINEPREFIX="$prefix"
export WINEDEBUG=-all
# No dialogs offering to install Mono or Gecko, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d"
# Wine needs no X display for console programs; make sure it never tries.
unset DISPLAY WAYLAND_DISPLAY

wineserver_bin="$(command -v wineserver || true)"
[ -n "$wineserver_bin" ] || wineserver_bin=/usr/lib/wine/wineserver

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-run.sh: creating wine prefix $WINEPREFIX" >&2
    wine wineboot --init </dev/null >/dev/null 2>&1 9>&- || true
    "$wineserver_bin" --wait || true
    [ -f "$WINEPREFIX/system.reg" ] || {
      echo "wine-run.sh: could not create the wine prefix" >&2
      exit 126
    }
  fi
  flock -u 9
  exec 9>&-
fi

for ((i = 0; i < ${#drives[@]}; i += 2)); do
  letter="${drives[i],,}"
  link="$WINEPREFIX/dosdevices/${letter%:}:"
  mkdir -p "${drives[i + 1]}"
  target="$(cd "${drives[i + 1]}" && pwd -P)"
  [ "$(readlink "$link" 2>/dev/null)" = "$target" ] || ln -sfn "$target" "$link"
done

# The wine session: a wineserver and the service processes that the first
# program of a session starts, all long-lived. Started here with no standard
# handles of ours, since a caller that reads the program's output through a
# pipe (ctest does) would otherwise wait for them to end. The server stays
# 60 idle seconds and then ends with its services on its own.
exec 8>"$WINEPREFIX.session.lock"
flock 8
if "$wineserver_bin" -p60 </dev/null >/dev/null 2>&1 8>&-; then
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1 8>&- || true
fi
flock -u 8
exec 8>&-

[ $# -gt 0 ] || exit 0
exec wine "$@"
