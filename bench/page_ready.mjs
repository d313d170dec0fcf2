// Opens an HTML report of zudiz-suite in Debian's chromium (headless, driven
// by the browser test's puppeteer-core) and prints how many milliseconds
// after the start of loading the page was drawn with its controls working
// (the page's own data-ready mark): the fastest of three loads, as other
// work on the machine only ever adds to it.
//
//   node bench/page_ready.mjs PAGE.html
//
// Needs tests/suite/browser/node_modules (make browser-deps) and
// /usr/bin/chromium (or ZUDIZ_CHROMIUM); fetches nothing.
import { mkdtempSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const require = createRequire(join(here, '..', 'tests', 'suite', 'browser', 'package.json'));
const puppeteer = require('puppeteer-core');
const profile = mkdtempSync(join(tmpdir(), 'zudiz-bench-chromium-'));
const browser = await puppeteer.launch({
  executablePath: process.env.ZUDIZ_CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run',
    '--disable-background-networking', '--disable-component-update',
    `--user-data-dir=${profile}`],
});
try {
  const times = [];
  for (let i = 0; i < 3; i++) {
    const page = await browser.newPage();
    await page.setViewport({ width: 1280, height: 900 });
    await page.goto(pathToFileURL(resolve(process.argv[2])).href,
      { waitUntil: 'load', timeout: 600000 });
    await page.waitForSelector('html[data-ready]', { timeout: 600000 });
    times.push(Number(await page.$eval('html', (h) => h.dataset.ready)));
    await page.close();
  }
  console.log(Math.min(...times));
} finally {
  await browser.close();
  rmSync(profile, { recursive: true, force: true });
}
