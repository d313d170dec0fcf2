#!/usr/bin/env bash
# Fails when a source file includes a header of a folder above its own.
# Folders, lowest first; each may include only itself and folders before it.
set -euo pipefail
cd "$(dirname "$0")/../src"
floors=(host core cmdline reader listing compare driver zudiz suite python)
rank() {
  local i
  for i in "${!floors[@]}"; do
    [[ ${floors[$i]} == "$1" ]] && { echo "$i"; return; }
  done
  echo -1
}
bad=0
while IFS= read -r line; do
  file=${line%%:*}
  target=${line#*\"}
  target=${target%%/*}
  from=${file%%/*}
  rf=$(rank "$from")
  rt=$(rank "$target")
  if ((rf < 0)); then
    echo "check-layers: $file: folder '$from' has no floor" >&2
    bad=1
  elif ((rt < 0 || rt > rf)); then
    echo "check-layers: $file includes \"${line#*\"}: '$target' is not below '$from'" >&2
    bad=1
  fi
done < <(grep -rHo '^#include "[^"]*"' --include='*.h' --include='*.cpp' . |
         sed 's#^\./##; s#:\#include #:#')
((bad == 0)) && echo "check-layers: every include goes down or sideways"
exit "$bad"
