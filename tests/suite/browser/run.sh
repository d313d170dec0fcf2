#!/usr/bin/env bash
# Writes the sample reports and drives chromium over them.
#   run.sh HTML_SAMPLE OUT_DIR
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
"$sample" "$out" mixed large wide
ZUDIZ_PAGES=$out ZUDIZ_CHROMIUM=$chromium \
  node --test --test-reporter=tap "$here/report.test.mjs"
