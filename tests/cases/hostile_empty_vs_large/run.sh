#!/bin/bash
# one.txt is empty; two.txt has a first page of 150 body lines and then
# 99850 more lines in pages of 1000.
: > one.txt
awk 'BEGIN {
  printf "H1\nH2\n\n";
  for (i = 1; i <= 150; i++) printf "W %d\n", i;
  for (j = 1; j <= 99850; j++) {
    if ((j - 1) % 1000 == 0) printf "\f";
    printf "X %d\n", j;
  }
}' > two.txt
exec "$1" one.txt two.txt
