#!/bin/bash
# Relative names of 300, 4000 and 5000 bytes, each to a pair of report files
# in folders of 199-byte names. The files are put in place from inside the
# deepest folder, which is reached one folder at a time: no tool here takes
# a name past PATH_MAX.
part=$(printf 'f%.0s' $(seq 199))
printf 'HEAD\n\nA 1\nB 2\n' > one.src
printf 'HEAD\n\nA 1\nB 3\n' > two.src
here=$PWD
status=9
for length in 300 4000 5000; do
  folder=long$length
  path=$folder
  # Folders until the file name brings the path to `length` bytes.
  while ((${#path} + 1 + 200 < length)); do
    path=$path/$part
  done
  pad=$((length - ${#path} - 1 - 4))
  name=$(printf 'r%.0s' $(seq $pad))
  (
    IFS=/
    for f in $path; do mkdir "$f" && cd "$f" || exit 1; done
    cp "$here/one.src" "${name}.one" && cp "$here/two.src" "${name}.two"
  ) || exit 1
  "$1" "$path/${name}.one" "$path/${name^^}.TWO"
  s=$?
  [ $s -eq 9 ] || status=$s
  rm -rf "$folder"
done
exit $status
