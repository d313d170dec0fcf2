#!/bin/bash
# 50000 two-line pages whose second line, the foot, differs; then a last page
# that differs above its foot.
awk -v f=F1 -v e=1 'BEGIN { for (i = 0; i < 50000; i++) printf "a 1\n%s\n\f", f; printf "END %s\nF\n", e }' > one.txt
awk -v f=F2 -v e=2 'BEGIN { for (i = 0; i < 50000; i++) printf "a 1\n%s\n\f", f; printf "END %s\nF\n", e }' > two.txt
exec "$1" one.txt two.txt /SKIPHEAD:0 /SKIPFOOT:1
