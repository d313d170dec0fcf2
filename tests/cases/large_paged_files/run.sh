#!/bin/bash
# Two 4000-row reports, about 80 KB each: file 1 has 50 rows a page, file 2
# has 40 rows a page and another header; row A3510 differs.
awk -v rows=50 -v state=OK -v run='' 'BEGIN {
  for (k = 1; k <= 4000; k++) {
    if ((k - 1) % rows == 0)
      printf "%sVAV 1.0 TEST REPORT%s\nPAGE %d\n\n", (k > 1 ? "\f" : ""), run, int((k - 1) / rows) + 1
    printf "ROW A%d STATE %s\n", k, (k == 3510 ? state : "OK")
  } }' > one.txt
awk -v rows=40 -v state=BAD -v run='  RUN 2' 'BEGIN {
  for (k = 1; k <= 4000; k++) {
    if ((k - 1) % rows == 0)
      printf "%sVAV 1.0 TEST REPORT%s\nPAGE %d\n\n", (k > 1 ? "\f" : ""), run, int((k - 1) / rows) + 1
    printf "ROW A%d STATE %s\n", k, (k == 3510 ? state : "OK")
  } }' > two.txt
exec "$1" one.txt two.txt
