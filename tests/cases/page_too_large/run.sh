#!/bin/bash
# one.txt: a single line of 40000 bytes, longer than the 29999-byte window.
head -c 40000 /dev/zero | tr '\0' 'x' > one.txt
printf '\n' >> one.txt
exec "$1" one.txt two.txt
