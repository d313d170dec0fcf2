#!/bin/bash
# The same page of 100000 lines with a foot to trim.
awk 'BEGIN {
  printf "H1\nH2\n\n";
  for (i = 1; i <= 100000; i++) printf "R %d\n", i;
}' > one.txt
cp one.txt two.txt
exec "$1" one.txt two.txt /SKIPFOOT:1
