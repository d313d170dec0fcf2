#!/usr/bin/env bash
# `make install` into a staging folder (DESTDIR) puts in place every file the
# README's "Install" list names, and PREFIX moves them all.
#   install_test.sh SOURCE_DIR BUILD_DIR WORK_DIR
set -u
src=$1
build=$2
work=$3
failures=0
rm -rf "$work"
mkdir -p "$work"

# The README lists the installed files as indented absolute paths.
mapfile -t listed < <(grep -E '^    /usr/local/[^ ]+$' "$src/README.md" | sed 's/^ *//')
if ((${#listed[@]} < 8)); then
  echo "FAIL: the README lists ${#listed[@]} installed files" >&2
  exit 1
fi

install_into() {  # install_into DESTDIR PREFIX
  make -s -C "$src" install BUILD="$build" DESTDIR="$1" PREFIX="$2" \
    >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; return 1; }
}

install_into "$work/stage" /usr/local || exit 1
for file in "${listed[@]}"; do
  if [[ ! -f $work/stage$file ]]; then
    echo "FAIL: make install put no $file" >&2
    failures=$((failures + 1))
  fi
done
# Nothing outside the prefix.
outside=$(cd "$work/stage" && find . -type f ! -path './usr/local/*')
[[ -z $outside ]] || { echo "FAIL: installed outside the prefix: $outside" >&2; failures=$((failures + 1)); }

install_into "$work/opt" /opt/zudiz || exit 1
for file in "${listed[@]}"; do
  moved=/opt/zudiz${file#/usr/local}
  [[ -f $work/opt$moved ]] || { echo "FAIL: PREFIX=/opt/zudiz put no $moved" >&2; failures=$((failures + 1)); }
done
"$work/opt/opt/zudiz/bin/zudiz-suite" --version >/dev/null ||
  { echo "FAIL: the installed zudiz-suite does not run" >&2; failures=$((failures + 1)); }

echo "${#listed[@]} files checked, $failures failed"
((failures == 0))
