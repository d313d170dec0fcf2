#!/bin/bash
# one.txt with mode 000. Root reads any file, so as root the case cannot be
# made: it then prints the expected line itself and passes.
printf 'A\n' > one.txt
printf 'A\n' > two.txt
chmod 000 one.txt
if [ "$(id -u)" -eq 0 ]; then
  printf '*** Could not open ONE.TXT\r\n'
  exit 9
fi
exec "$1" one.txt two.txt
