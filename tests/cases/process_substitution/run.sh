#!/bin/bash
# File 1 comes from a process substitution, opened as /dev/fd/7.
exec 7< <(cat one.src)
exec "$1" /dev/fd/7 ab
