#!/usr/bin/env bash
# Checks that the examples in README.md, the pages doc/*.md and doc/zudiz.1
# show what the program does. Each example is a golden case under tests/cases/ (whose expected.txt
# the golden tests hold to the program) and is marked in the documents:
#
#   README.md, doc/*.md   <!-- input CASE... -->   or   <!-- output CASE... -->
#                         followed by a ``` fenced block
#   doc/zudiz.1    .\" input CASE...        or   .\" output CASE...
#                  followed by a .nf ... .fi block (\- \e \& are unescaped)
#
# A block marked with several cases must be true for each of them.
# An input block shows the case's two report files side by side: a line with
# the two file names, then the files' lines, each after its line number in
# two columns and a blank, file 2's from column 26 on; a form feed reads ^L
# and a TAB ^I. It must show the files completely.
# An output block may start with "$ zudiz" and the case's command words (from
# its args file, or from the `exec "$1" ...` line of its run.sh); its other
# lines must appear in expected.txt in the same order and together, except
# where a line "..." leaves some out. Trailing blanks are not compared.
# Every case named doc_* must be shown in doc/rules.md.
#
#   check-doc-examples.sh [--show CASE]
# --show prints a case's input and output blocks, ready to paste.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cases=$root/tests/cases
column=22

# The words a case runs the program with, joined by blanks.
command_words() {
  local dir=$cases/$1
  if [[ -f $dir/args ]]; then
    tr '\n' ' ' < "$dir/args" | sed 's/ *$//'
  elif [[ -f $dir/run.sh ]]; then
    # shellcheck disable=SC2016 # a literal $1
    sed -n 's/^exec "\$1" //p' "$dir/run.sh"
  fi
}

# The case's two report file names, as its command words give them.
input_names() {
  command_words "$1" | tr ' ' '\n' | grep -v '^/' | head -n 2
}

# Prints a case's input block: the two files side by side.
render_input() {
  local dir=$cases/$1 names
  mapfile -t names < <(input_names "$1")
  if ((${#names[@]} != 2)) || [[ ! -f $dir/${names[0]} || ! -f $dir/${names[1]} ]]; then
    echo "no two report files in $1" >&2
    return 1
  fi
  awk -v width="$column" -v name1="${names[0]}" -v name2="${names[1]}" '
    function shown(line) {
      sub(/\r$/, "", line)
      gsub(/\f/, "^L", line)
      gsub(/\t/, "^I", line)
      return line
    }
    function trimmed(line) {
      sub(/ +$/, "", line)
      return line
    }
    FNR == 1 { file = FILENAME == ARGV[1] ? 1 : 2 }
    { text[file, FNR] = shown($0); count[file] = FNR }
    END {
      print trimmed(sprintf("   %-" width "s   %s", name1, name2))
      rows = count[1] > count[2] ? count[1] : count[2]
      for (i = 1; i <= rows; i++) {
        if (length(text[1, i]) >= width) {
          print "line too long for the left column: " text[1, i] > "/dev/stderr"
          exit 1
        }
        left = i <= count[1] ? sprintf("%2d %s", i, text[1, i]) : ""
        right = i <= count[2] ? sprintf("%2d %s", i, text[2, i]) : ""
        print trimmed(sprintf("%-" (width + 3) "s%s", left, right))
      }
    }' "$dir/${names[0]}" "$dir/${names[1]}"
}

# Standard output of a case, without CRs and trailing blanks.
expected_lines() {
  tr -d '\r' < "$cases/$1/expected.txt" | sed 's/ *$//'
}

if [[ ${1:-} == --show ]]; then
  name=${2:?--show needs a case name}
  if [[ -f $cases/$name/args ]]; then
    echo "<!-- input $name -->"
    echo '```'
    render_input "$name"
    echo '```'
  fi
  echo "<!-- output $name -->"
  echo '```'
  echo "\$ zudiz $(command_words "$name")"
  expected_lines "$name"
  echo '```'
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Writes each marked block of a document to $work/<tag>N.text, and where
# it stands, its kind and its cases to <tag>N.meta.
extract_blocks() { # file style(md|man) tag
  awk -v dir="$work" -v src="$1" -v style="$2" -v tag="$3" '
    function marker(line) {
      if (style == "md" && match(line, /^<!-- (input|output)( [A-Za-z0-9_]+)+ -->$/))
        return substr(line, 6, length(line) - 9)
      if (style == "man" && match(line, /^\.\\" (input|output)( [A-Za-z0-9_]+)+$/))
        return substr(line, 5)
      return ""
    }
    function unescape(line) {
      gsub(/\\-/, "-", line)
      gsub(/\\&/, "", line)
      gsub(/\\e/, "\\", line)
      return line
    }
    state == "" && (m = marker($0)) != "" {
      n = tag (++count)
      print src ":" NR, m > (dir "/" n ".meta")
      close(dir "/" n ".meta")
      printf "" > (dir "/" n ".text")
      state = "before"
      next
    }
    state == "before" {
      if ((style == "md" && /^```/) || (style == "man" && /^\.nf/)) state = "in"
      else if ((style == "md" && !/^$/) || (style == "man" && !/^\./)) {
        print src ":" NR ": marked block missing" > "/dev/stderr"
        bad = 1
        state = ""
      }
      next
    }
    state == "in" {
      if ((style == "md" && /^```/) || (style == "man" && /^\.fi/)) {
        close(dir "/" n ".text")
        state = ""
      } else {
        print (style == "man" ? unescape($0) : $0) > (dir "/" n ".text")
      }
    }
    END {
      if (state != "") { print src ": block not closed" > "/dev/stderr"; bad = 1 }
      exit bad
    }' "$root/$1"
}

fail=0
extract_blocks README.md md readme || fail=1
pages=0
for page in "$root"/doc/*.md; do
  extract_blocks "doc/$(basename "$page")" md page$((++pages))- || fail=1
done
extract_blocks doc/zudiz.1 man man || fail=1

check_block() { # where kind case text
  local where=$1 kind=$2 name=$3 text=$4 shown want
  if [[ ! -f $cases/$name/expected.txt ]]; then
    echo "$where: no golden case $name"
    return 1
  fi
  sed 's/ *$//' "$text" > "$text.trimmed"
  if [[ $kind == input ]]; then
    if ! render_input "$name" > "$text.want" ||
       ! diff -u --label "$name files" --label "$where" "$text.want" "$text.trimmed"; then
      echo "$where: input of $name differs (above)"
      return 1
    fi
    return 0
  fi
  shown=$text.trimmed
  if [[ $(head -n 1 "$shown") == '$ zudiz'* ]]; then
    want="\$ zudiz $(command_words "$name")"
    if [[ $(head -n 1 "$shown") != "$want" ]]; then
      echo "$where: command shown for $name is not \"$want\""
      return 1
    fi
    sed -i 1d "$shown"
  fi
  if ! awk '
      FNR == NR { out[++lines] = $0; next }
      { shown[++count] = $0 }
      END {
        at = 1
        for (i = 1; i <= count; i = j) {
          if (shown[i] == "...") { j = i + 1; continue }
          for (j = i; j <= count && shown[j] != "..."; j++) {}
          for (s = at; s + j - i - 1 <= lines; s++) {
            for (k = 0; k < j - i && out[s + k] == shown[i + k]; k++) {}
            if (k == j - i) break
          }
          if (s + j - i - 1 > lines) {
            print "these lines are not in the output (in this order, together):"
            for (k = i; k < j; k++) print "  | " shown[k]
            exit 1
          }
          at = s + j - i
        }
      }' <(expected_lines "$name") "$shown"; then
    echo "$where: output of $name differs from expected.txt"
    return 1
  fi
}

for meta in "$work"/*.meta; do
  [[ -e $meta ]] || continue
  read -r where kind names < "$meta"
  for name in $names; do
    check_block "$where" "$kind" "$name" "${meta%.meta}.text" || fail=1
  done
done

# Every documentation case is shown on the page of the rules.
for dir in "$cases"/doc_*/; do
  name=$(basename "$dir")
  if ! grep -Eq "^<!-- (input|output)( [A-Za-z0-9_]+)* $name( [A-Za-z0-9_]+)* -->$" \
       "$root/doc/rules.md"; then
    echo "doc/rules.md: golden case $name is not shown"
    fail=1
  fi
done

if ((fail)); then
  echo "check-doc-examples: the documentation no longer shows what the program does"
fi
exit "$fail"
