// The README's picture of the game in a browser: the page of the browser build (tools/web.sh) in
// Debian's chromium, headless, 1024 x 768, the car driven up the road for a moment in first gear.
//   Usage: node tools/browser_screenshot.js [BUILD_WEB [OUT.png]]
//   (defaults: build-web, docs/screenshot-browser.png; npm ci --prefix tests/web first)
'use strict';
const { chromium } = require('../tests/web/node_modules/playwright-core');
const { serve, launchChromium } = require('./serve_web.js');

const [buildWeb = 'build-web', out = 'docs/screenshot-browser.png'] = process.argv.slice(2);

async function main() {
  const server = await new Promise((resolve) => serve(buildWeb, 0, (s, port) => resolve({ s, port })));
  const browser = await launchChromium(chromium);
  const page = await browser.newPage({ viewport: { width: 1024, height: 768 } });
  await page.goto(`http://127.0.0.1:${server.port}/`);
  await page.waitForFunction(() => typeof Module !== 'undefined' && Module.calledRun === true);
  await page.waitForTimeout(500);
  await page.keyboard.down('ArrowUp');
  await page.waitForTimeout(1500);
  await page.keyboard.up('ArrowUp');
  await page.waitForTimeout(1200);  // the page's line fades
  await page.screenshot({ path: out });
  await browser.close();
  server.s.close();
}

main();
