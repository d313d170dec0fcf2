#!/usr/bin/env bash
# Writes the sample reports and the example suite's report, and drives
# chromium over them.
#   run.sh HTML_SAMPLE OUT_DIR [ZUDIZ_SUITE EXAMPLES_DIR]
# Skips (status 77) when chromium or puppeteer-core is not installed, unless
# ZUDIZ_BROWSER_TEST=required, as `make browser-test` sets it.
set -euo pipefail
sample=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
chromium=${ZUDIZ_CHROMIUM:-/usr/bin/chromium}
if [[ ! -x $chromium || ! -d $here/node_modules/puppeteer-core ]] ||
   ! command -v node >/dev/null; then
  echo "browser test: needs $chromium, node and puppeteer-core (make browser-test installs them)"
  [[ ${ZUDIZ_BROWSER_TEST:-} == required ]] && exit 1
  exit 77
fi
mkdir -p "$out"
"$sample" "$out" mixed large wide tail paged paged-large
if [[ $# -ge 4 ]]; then
  # The bundled example suite, as `make demo` shows it (status 1: some
  # pairs differ).
  status=0
  "$3" "$4/suite/baseline" "$4/suite/candidate" --html "$out/example.html" \
    >/dev/null || status=$?
  [[ $status == 1 ]] || { echo "zudiz-suite ended with $status"; exit 1; }
fi
ZUDIZ_PAGES=$out ZUDIZ_CHROMIUM=$chromium \
  node --test --test-reporter=tap "$here/report.test.mjs"
