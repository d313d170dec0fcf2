#!/bin/bash
# The bundled example pair, compared as `make demo` does.
examples=$(dirname "$0")/../../../examples
cp "$examples/run1.rpt" "$examples/run2.rpt" .
exec "$1" run1.rpt run2.rpt
