#!/bin/bash
# Three reports of 8000 lines (about 200 KB). one.txt has a zero byte
# between two words of line 5830 and a plot section inside line 5831.
# two.txt reads the same: a blank where the zero byte was, no section.
# changed.txt is two.txt with one word upper-cased on line 4672.
# @ stands for the zero byte and ~ for the plot marker (Ctrl-U).
report() {
  awk -v kind="$1" 'BEGIN {
    printf "REPORT NUL TEST PAGE 1\r\nRUN DATE 2026-01-05\r\n\r\n"
    for (i = 4; i <= 8000; i++) {
      if (kind == "one" && i == 5830) {
        printf "row %d alpha@beta %d.5\r\n", i, i % 97
      } else if (kind == "one" && i == 5831) {
        printf "row %d plot ~plot text~ end\r\n", i
      } else if (i == 5831) {
        printf "row %d plot  end\r\n", i
      } else if (kind == "changed" && i == 4672) {
        printf "row %d ALPHA beta %d.5\r\n", i, i % 97
      } else {
        printf "row %d alpha beta %d.5\r\n", i, i % 97
      }
    }
  }' | tr '@~' '\000\025'
}
report one > one.txt
report two > two.txt
report changed > changed.txt
"$1" one.txt two.txt
first=$?
"$1" one.txt changed.txt
second=$?
[ $first -eq 9 ] && exit $second
exit $first
