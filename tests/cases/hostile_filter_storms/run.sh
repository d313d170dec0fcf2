#!/bin/bash
# Inputs made of one costly thing over and over, about 4 MB a file, compared
# with the filters on (the default): a page end every two bytes, plot
# sections of a byte or two all along the lines, hidden lines and whitespace
# codes on every line, lines of 12000 bytes, long runs of blank lines of
# other lengths in each file, and lines of one byte. The files of each pair
# differ only in their last line. Each run must end within 20 seconds, far
# more than it needs: a comparison whose time grows faster than the input
# fails here (the benchmarks measure the speed itself).
export LC_ALL=C
prog=$1
status=9

# Writes one.txt and two.txt: a first page of two head lines and a blank
# line, the chunk built by the awk program $1 (in c) repeated to about 4 MB
# (in file 2, the chunk of $2 as often, when given), then a last page whose
# only body line differs.
make_pair() {
  local f chunk
  for f in 1 2; do
    chunk=$1
    [ $f -eq 2 ] && [ -n "${2-}" ] && chunk=$2
    awk "BEGIN { $1; n = int(4000000 / length(c)); $chunk
                 printf \"T\\r\\nP\\r\\n\\r\\n\"
                 for (i = 0; i < n; i++) printf \"%s\", c
                 printf \"\\fT\\r\\nP\\r\\n\\r\\nEND $f\\r\\n\" }" >"$f.txt"
  done
  mv 1.txt one.txt
  mv 2.txt two.txt
}

run() {
  timeout 20 "$prog" one.txt two.txt
  local s=$?
  [ $s -eq 9 ] || status=$s
}

# A page end every two bytes: pages of one line, which is head.
make_pair 'c = "x\f"'
run

# Plot sections of one or two bytes between the words.
make_pair 'c = "\fT\r\nP\r\n\r\n"
           for (i = 0; i < 50; i++)
             c = c sprintf("R%d 1.5\025p\025 2\025\025 3\025pq\025 4\025x\025\r\n", i)'
run

# Hidden lines (text ending in a TAB, one right before the page end) and
# lines ending in a whitespace code (v = 1 and v = 15, one of them leaving a
# TAB behind, so hidden too).
make_pair 'code1 = "       \t"; code15 = sprintf("%60s", "") "\t\t\t\t"
           c = "\fT\r\nP\r\n\r\n"
           for (i = 0; i < 30; i++)
             c = c sprintf("h\t\r\nK%d 1.5%s\r\nh %d\t%s\r\nC %d%s\r\n",
                           i, code1, i, code1, i, code15)
           c = c "last\t\r\n"'
run

# Lines of 12000 bytes, four to a page.
make_pair 'c = "\fT\r\nP\r\n\r\n"
           for (l = 0; l < 4; l++) {
             for (i = 0; i < 2000; i++) c = c sprintf(" %d.5", i % 1000)
             c = c "\r\n" }'
run

# Runs of 3000 blank lines in one.txt against runs of 40 in two.txt.
make_pair 'c = ""; for (i = 0; i < 4; i++) c = c sprintf("L %d\r\n%3000s", i, "")
           gsub(/ /, "\r\n", c)' \
          'c = ""; for (i = 0; i < 4; i++) c = c sprintf("L %d\r\n%40s", i, "")
           gsub(/ /, "\r\n", c)'
run

# Lines of one byte, 58 to a page.
make_pair 'c = "\fT\r\nP\r\n\r\n"; for (i = 0; i < 58; i++) c = c "x\r\n"'
run

exit $status
