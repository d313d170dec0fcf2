#!/bin/bash
# 9998 alternating word and line switches, then /v:2 and /A: 10000 words.
printf 'H1\nH2\n\nX 1.5\nY 2.5\nZ 3.5\n' > one.txt
printf 'H1\nH2\n\nX 1.6\nY 2.6\nZ 3.6\n' > two.txt
# shellcheck disable=SC2046
exec timeout 120 "$1" one.txt two.txt $(yes '/W /LI' | head -n 4999) /v:2 /A
