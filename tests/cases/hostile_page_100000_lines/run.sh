#!/bin/bash
# One page of 100000 body lines in each file; line R 40000 differs.
awk -v last=Q 'BEGIN {
  printf "H1\nH2\n\n";
  for (i = 1; i <= 100000; i++) printf (i == 40000 ? "R %d " last "\n" : "R %d\n"), i;
}' > one.txt
sed 's/^R 40000 Q$/R 40000 Z/' one.txt > two.txt
exec "$1" one.txt two.txt
