#!/usr/bin/env bash
# Fails when a source file includes a header of a folder above its own.
# Folders, lowest first; each may include only itself and folders before it.
# The tests mirror the source folders and keep to the same floors: a test
# may include its own floor, the floors below it and tests/support/ (whose
# helpers stand on the host alone); the fuzz targets stand above them all.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
floors=(host core cmdline reader listing compare driver zudiz suite python)
rank() {
  local i
  for i in "${!floors[@]}"; do
    [[ ${floors[$i]} == "$1" ]] && { echo "$i"; return; }
  done
  echo -1
}
bad=0
# check TREE: every include of the .h and .cpp files under TREE.
check() {
  local tree=$1 line file target from rf rt
  while IFS= read -r line; do
    file=${line%%:*}
    target=${line#*\"}
    target=${target%%/*}
    from=${file%%/*}
    rf=$(rank "$from")
    rt=$(rank "$target")
    if [[ $tree == tests ]]; then
      [[ $from == support ]] && rf=0
      [[ $from == fuzz ]] && rf=${#floors[@]}
      [[ $target == support ]] && continue
    fi
    if ((rf < 0)); then
      echo "check-layers: $tree/$file: folder '$from' has no floor" >&2
      bad=1
    elif ((rt < 0 || rt > rf)); then
      echo "check-layers: $tree/$file includes \"${line#*\"}: '$target' is not below '$from'" >&2
      bad=1
    fi
  done < <(cd "$root/$tree" &&
           grep -rHo '^#include "[^"]*"' --include='*.h' --include='*.cpp' . |
           sed 's#^\./##; s#:\#include #:#')
}
check src
check tests
((bad == 0)) && echo "check-layers: every include goes down or sideways"
exit "$bad"
