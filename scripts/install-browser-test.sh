#!/usr/bin/env bash
# Installs what the HTML report's browser test needs: Debian's chromium and
# node, and puppeteer-core from npm into tests/suite/browser/node_modules as
# its lock file pins it. puppeteer-core fetches no browser of its own: the
# test drives /usr/bin/chromium.
set -euo pipefail
cd "$(dirname "$0")/.."
packages=(chromium)
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)
scripts/install-deps.sh "${packages[@]}"
dir=tests/suite/browser
installed=$dir/node_modules/.package-lock.json
if [[ ! -f $installed || $dir/package-lock.json -nt $installed ]]; then
  (cd "$dir" && npm ci --no-audit --no-fund --loglevel=error)
fi
