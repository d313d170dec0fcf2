#!/usr/bin/env bash
# Checks that every option `zudiz-suite --help` lists is described in the
# manual page (doc/zudiz-suite.1) and on the suite's page (doc/suite.md), so
# that an option added to the program cannot go undocumented.
#   check-doc-options.sh ZUDIZ_SUITE
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
suite=${1:?usage: check-doc-options.sh ZUDIZ_SUITE}

# The option names of the help's option lines ("  -j,--jobs N  ...").
help=$("$suite" --help)
mapfile -t options < <(printf '%s\n' "$help" | grep -E '^ +-' |
  sed -E 's/^ +//; s/ .*//' | tr ',' '\n' | grep -E '^--?[A-Za-z]' | sort -u)
if ((${#options[@]} < 20)); then
  echo "found only ${#options[@]} options in zudiz-suite --help:" >&2
  printf '%s\n' "$help" >&2
  exit 1
fi

# The manual with its escapes undone (\- is a minus, \f. a font change).
manual=$(sed -E 's/\\-/-/g; s/\\f[BIRP]//g' "$root/doc/zudiz-suite.1")
page=$(cat "$root/doc/suite.md")
fail=0
for option in "${options[@]}"; do
  # The option as a whole word: not followed by a letter or another dash.
  pattern="(^|[^A-Za-z0-9-])${option}([^A-Za-z0-9-]|\$)"
  if ! grep -Eq -e "$pattern" <<<"$manual"; then
    echo "doc/zudiz-suite.1 does not describe $option"
    fail=1
  fi
  if ! grep -Eq -e "$pattern" <<<"$page"; then
    echo "doc/suite.md does not describe $option"
    fail=1
  fi
done
if ((fail)); then
  echo "check-doc-options: document each option of zudiz-suite --help in both"
fi
exit "$fail"
