#!/bin/bash
# Two report files whose names hold a double quote, each name one argument.
printf 'H1\nH2\n\nNODE 1 10.5\nNODE 2 20.5\n' > 'x"1'
printf 'H1\nH2\n\nNODE 1 10.5\nNODE 2 99.5\n' > 'y"2'
exec "$1" 'x"1' 'y"2'
