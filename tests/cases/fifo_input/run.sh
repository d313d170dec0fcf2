#!/bin/bash
# File 1 is a named pipe fed by a background writer.
mkfifo pipe.txt || exit 1
cat one.src > pipe.txt &
writer=$!
"$1" pipe.txt two.txt
status=$?
kill "$writer" 2>/dev/null
wait "$writer" 2>/dev/null
exit $status
