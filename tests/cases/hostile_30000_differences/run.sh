#!/bin/bash
# 30000 lines that all differ: A i against B i.
awk -v w=A 'BEGIN { printf "H1\nH2\n\n"; for (i = 1; i <= 30000; i++) printf "%s %d\n", w, i }' > one.txt
awk -v w=B 'BEGIN { printf "H1\nH2\n\n"; for (i = 1; i <= 30000; i++) printf "%s %d\n", w, i }' > two.txt
exec "$1" one.txt two.txt
