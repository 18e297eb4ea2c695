// The browser build's page in Debian's chromium, headless, driven by playwright-core: it loads
// with no error in the console; its first frame shows the map, the car and the dashboard where
// the desktop's start screen shows them, the panel's lines pixel for pixel; a click on New is
// heard; the engine sounds; the arrow keys move the map, the exhaust puffs behind the car;
// Quit ends the game and offers the drive it recorded; that drive dropped on the page is shown to
// where it stopped, reaching every state recorded in it; a pad read through the browser's Gamepad
// API drives; the player's own keys come from the page's storage; a hidden tab silences the game;
// F11 makes the page full screen and back. Each check waits for what it needs, never for a time.
//   Usage: node browser_test.js BUILD_WEB DESKTOP_START_SCREEN.ppm WORK_FOLDER
// The drive recorded in the browser is left in WORK_FOLDER/browser.rec, for the desktop to check.
'use strict';
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { chromium } = require('playwright-core');
const { serve, launchChromium } = require('../../tools/serve_web.js');

const [buildWeb, referencePath, work] = process.argv.slice(2);
const WIDTH = 1024, HEIGHT = 768;
let failures = 0;
const pass = (what) => console.log(`ok: ${what}`);
const fail = (what) => { console.log(`FAIL: ${what}`); failures++; };

// ---- pictures: RGB pixels of the desktop's PPM and of the browser's PNG screenshots ----------

function readPpm(file) {
  const bytes = fs.readFileSync(file);
  const header = bytes.toString('latin1', 0, 64).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
  return { width: +header[1], height: +header[2], rgb: bytes.subarray(header[0].length), step: 3 };
}

function readPng(bytes) {
  const width = bytes.readUInt32BE(16), height = bytes.readUInt32BE(20);
  const step = { 2: 3, 6: 4 }[bytes[25]];
  const chunks = [];
  for (let at = 8; at < bytes.length;) {
    const length = bytes.readUInt32BE(at), type = bytes.toString('latin1', at + 4, at + 8);
    if (type === 'IDAT') chunks.push(bytes.subarray(at + 8, at + 8 + length));
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(chunks));
  const rowBytes = width * step, rgb = Buffer.alloc(height * rowBytes);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (rowBytes + 1)], line = raw.subarray(y * (rowBytes + 1) + 1);
    for (let x = 0; x < rowBytes; x++) {
      const a = x >= step ? rgb[y * rowBytes + x - step] : 0;
      const b = y > 0 ? rgb[(y - 1) * rowBytes + x] : 0;
      const c = x >= step && y > 0 ? rgb[(y - 1) * rowBytes + x - step] : 0;
      const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const predicted = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
      rgb[y * rowBytes + x] = (line[x] + predicted) & 0xff;
    }
  }
  return { width, height, rgb, step };
}

const pixel = (picture, x, y) => {
  const at = (y * picture.width + x) * picture.step;
  return [picture.rgb[at], picture.rgb[at + 1], picture.rgb[at + 2]];
};
// The window pixel of a view point: -50..50 across the whole 4:3 picture, y up.
const at = (vx, vy) => [Math.floor((vx + 50) / 100 * WIDTH), Math.floor((50 - vy) / 100 * HEIGHT)];
const near = (a, b, tolerance) => a.every((channel, i) => Math.abs(channel - b[i]) <= tolerance);
const samePicture = (a, b) => a.rgb.equals(b.rgb);
const samePixel = (a, b, x, y) => near(pixel(a, x, y), pixel(b, x, y), 0);

// The share of a grid of view points over (x0, y0)..(x1, y1) at which two pictures are alike.
function likeness(a, b, x0, y0, x1, y1, tolerance) {
  let alike = 0, all = 0;
  for (let vy = y0; vy <= y1; vy += 1.5) {
    for (let vx = x0; vx <= x1; vx += 1.5) {
      const [x, y] = at(vx, vy);
      alike += near(pixel(a, x, y), pixel(b, x, y), tolerance) ? 1 : 0;
      all++;
    }
  }
  return alike / all;
}

// The pixels of a strip of the map below the car (view x0..x1, y -5.5..-12) inside light grey
// blobs, as the car's exhaust puffs are, where the dirt is brown: grey, and grey above and below.
function greyish(picture, x0, x1) {
  const grey = (x, y) => {
    const [r, g, b] = pixel(picture, x, y);
    return r >= 140 && r - b <= 55 && g - b <= 40;
  };
  let count = 0;
  const [left, top] = at(x0, -5.5), [right, bottom] = at(x1, -12);
  for (let y = top; y < bottom; y++)
    for (let x = left; x < right; x++) count += grey(x, y - 1) && grey(x, y) && grey(x, y + 1) ? 1 : 0;
  return count;
}

// ---- the page ----------------------------------------------------------------------------------

async function poll(what, seconds, predicate, interval = 50) {
  const until = Date.now() + seconds * 1000;
  for (;;) {
    const result = await predicate();
    if (result) return result;
    if (Date.now() > until) throw new Error(`timed out waiting for ${what}`);
    await new Promise((resolve) => setTimeout(resolve, interval));
  }
}

async function screenshot(page) {
  return readPng(await page.screenshot({ type: 'png' }));
}

// The game drawn and standing still: two screenshots alike, not black.
async function steadyPicture(page) {
  let last = null;
  return poll('the game to stand still', 30, async () => {
    const now = await screenshot(page);
    const standing = last && samePicture(last, now) && !near(pixel(now, 4, 4), [0, 0, 0], 8);
    last = now;
    return standing ? now : null;
  });
}

async function gameStarted(page) {
  await poll('the game to start', 30, () =>
    page.evaluate(() => typeof Module !== 'undefined' && Module.calledRun === true));
  // The page's own line is HTML over the game's picture: hidden for the pictures' sake.
  await page.evaluate(() => { document.getElementById('line').style.visibility = 'hidden'; });
  return steadyPicture(page);
}

// The page's audio, as emscripten's OpenAL keeps it: its state, and whether a source plays.
const sound = (page) => page.evaluate(() => {
  const context = typeof AL !== 'undefined' && AL.currentCtx;
  if (!context) return 'no sound';
  const playing = Object.values(context.sources || {}).some((source) => source && source.state === 0x1012);
  return context.audioCtx.state + (context.audioCtx.state === 'running' && playing ? ', the engine playing' : '');
});

const showing = (page) => page.evaluate(() => Module.ccall('tarvelo_drive_showing', 'number', [], []));

async function main() {
  const server = await new Promise((resolve) => serve(buildWeb, 0, (s, port) => resolve({ s, port })));
  const browser = await launchChromium(chromium);
  const errors = [];
  // Every error a page's console shows, and every error its script leaves uncaught.
  const watchForErrors = (page) => {
    page.on('console', (message) => { if (message.type() === 'error') errors.push(message.text()); });
    page.on('pageerror', (error) => errors.push(error.message));
  };
  const page = await browser.newPage({ viewport: { width: WIDTH, height: HEIGHT } });
  watchForErrors(page);
  try {
    await page.goto(`http://127.0.0.1:${server.port}/`);
    const start = await gameStarted(page);

    // The first frame against the desktop's start screen, view point by view point: the map
    // with the car in its middle, the dashboard at the left.
    const desktop = readPpm(referencePath);
    const [carX, carY] = at(0, 0);
    const places = [
      ['the dashboard', likeness(start, desktop, -49.5, -49.5, -30.5, 49.5, 24)],
      ['the map', likeness(start, desktop, -29, -49.5, 49.5, 49.5, 24)],
      ['the car', likeness(start, desktop, -3, -6, 3, 6, 24)],
    ];
    for (const [what, share] of places) {
      if (share >= 0.95) pass(`${what} where the desktop shows it (${(share * 100).toFixed(1)}% alike)`);
      else fail(`${what}: only ${(share * 100).toFixed(1)}% of its view points are as on the desktop`);
    }
    if (!near(pixel(start, carX, carY), [0, 0, 0], 40)) pass('the car is painted');
    // The panel's frame and separators, two pixels wide (the browser's GL draws no wide lines):
    // every pixel of a band around each line as the desktop lights it.
    let lineDiffer = 0;
    const [panelLeft] = at(-49.5, 0), [panelRight] = at(-30.5, 0);
    const [, frameTop] = at(0, 49), [, frameBottom] = at(0, -49);
    for (const vy of [49, 38.5, 0, -25, -35, -49]) {
      const [, row] = at(0, vy);
      for (let y = row - 3; y <= row + 3; y++)
        for (let x = panelLeft; x < panelRight; x++) lineDiffer += samePixel(start, desktop, x, y) ? 0 : 1;
    }
    for (const vx of [-49, -31]) {
      const [column] = at(vx, 0);
      for (let x = column - 3; x <= column + 3; x++)
        for (let y = frameTop; y <= frameBottom; y++) lineDiffer += samePixel(start, desktop, x, y) ? 0 : 1;
    }
    if (lineDiffer === 0) pass('the panel\'s lines are the desktop\'s, pixel for pixel');
    else fail(`the panel's lines differ from the desktop's at ${lineDiffer} pixels`);

    // New, clicked on the dashboard: heard as the player's first command, so the start's hint
    // ("F1: controls", white on black at the bottom right) goes.
    const hint = at(22, -44);
    // Its letters white on the black box, as the desktop draws them.
    let lit = 0;
    for (let vx = 20; vx <= 46; vx += 0.25)
      for (let vy = -47; vy <= -41; vy += 0.25)
        lit += pixel(start, ...at(vx, vy)).every((channel) => channel > 200) ? 1 : 0;
    if (near(pixel(start, ...hint), [0, 0, 0], 4) && lit > 20) pass(`the start shows its hint, in white letters`);
    else fail(`the start shows no hint (${lit} white pixels in its box)`);
    await page.mouse.click(...at(-40, 26.5));
    const afterNew = await poll('the hint to go after New', 10, async () => {
      const now = await screenshot(page);
      return near(pixel(now, ...hint), [0, 0, 0], 4) ? null : now;
    });
    pass('New is heard: the start\'s hint goes');
    // The sound, through Web Audio: the browser lets it run from the player's first key or click
    // (this test's own calls into the page count as one too, so its start is not seen here).
    await poll('the sound to run', 10, async () => await sound(page) === 'running, the engine playing');
    pass('the sound runs: the engine plays');

    // The arrow keys drive: the map moves under the car, the dashboard's logo stays.
    await page.keyboard.down('ArrowUp');
    const moved = await poll('the map to move', 20, async () => {
      const now = await screenshot(page);
      return likeness(now, afterNew, -29, 10, 49.5, 49.5, 8) < 0.7 ? now : null;
    });
    // Its exhaust: light grey puffs straight behind the car, round and ten pixels wide, lighter
    // than the dirt around (some 70 to 170 pixels inside them, the first frames it is looked for;
    // never more than 15 when they were slivers).
    let exhaust = '';
    await poll('the exhaust behind the car', 10, async () => {
      const now = await screenshot(page);
      const behind = greyish(now, 9, 11), beside = [3, 15].map((x) => greyish(now, x, x + 2));
      exhaust = `${behind} grey pixels behind it, ${beside} beside`;
      return behind >= 50 && behind > 2 * Math.max(...beside) + 10;
    }).then(() => pass(`the exhaust puffs behind the car (${exhaust})`),
      () => fail(`no exhaust behind the car: ${exhaust}`));
    await page.keyboard.up('ArrowUp');
    if (likeness(moved, start, -49.5, 40, -30.5, 49.5, 0) === 1) pass('Up drives: the map moves, the logo stays');
    else fail('the dashboard changed as the car drove');
    // Down brakes to a standstill: the map stands still under the car (its exhaust goes on).
    await page.keyboard.down('ArrowDown');
    let last = moved;
    const stopped = await poll('the car to stand still', 30, async () => {
      const now = await screenshot(page);
      const still = likeness(now, last, -29, 10, 49.5, 49.5, 0) === 1;
      last = now;
      return still ? now : null;
    }, 300);
    await page.keyboard.up('ArrowDown');

    // Quit: the game ends, and the page offers the drive it recorded.
    await page.mouse.click(...at(-40, 11.5));
    await poll('the page to say the game ended', 10, () =>
      page.evaluate(() => getComputedStyle(document.getElementById('ended')).display !== 'none'));
    const drive = await page.evaluate(async () => {
      const link = document.getElementById('download');
      if (!link.href.startsWith('blob:')) return [];
      const bytes = new Uint8Array(await (await fetch(link.href)).arrayBuffer());
      return Array.from(bytes);
    });
    const magic = Buffer.from(drive.slice(0, 7)).toString('latin1');
    if (magic !== 'TARVELO') throw new Error('the drive offered is no recorded drive');
    fs.writeFileSync(path.join(work, 'browser.rec'), Buffer.from(drive));
    pass(`Quit ends the game and offers the drive it recorded (${drive.length} bytes)`);

    // That drive dropped on the page: shown from its start, to the state its file ends in.
    await Promise.all([
      page.waitForNavigation({ waitUntil: 'load' }),
      page.evaluate((bytes) => {
        const transfer = new DataTransfer();
        transfer.items.add(new File([new Uint8Array(bytes)], 'browser.rec'));
        dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, cancelable: true }));
      }, drive),
    ]);
    await poll('the game to start again', 30, () =>
      page.evaluate(() => typeof Module !== 'undefined' && Module.calledRun === true));
    await poll('the drive to be shown', 10, async () => await showing(page) === 1);
    await poll('the shown drive to end', 60, async () => await showing(page) === 0);
    // Shown, it reached every state recorded in it, as the desktop's --check finds it does.
    const agreed = await page.evaluate(() => Module.ccall('tarvelo_drive_agreement', 'number', [], []));
    // (A checkpoint each second of the drive, and the state it ended in: two at the least.)
    if (agreed >= 2) pass(`the dropped drive reaches the states recorded in it (${agreed} checkpoints alike)`);
    else fail(`the dropped drive departs from its recording (agreement ${agreed})`);
    await page.evaluate(() => { document.getElementById('line').style.visibility = 'hidden'; });
    const shownEnd = await screenshot(page);
    const share = likeness(shownEnd, stopped, -29, -49.5, 49.5, 49.5, 24);
    if (share >= 0.95) pass(`the dropped drive is shown to where it stopped (${(share * 100).toFixed(1)}% alike)`);
    else fail(`the dropped drive ends elsewhere: ${(share * 100).toFixed(1)}% of the map as where it stopped`);

    // A pad, as the browser's Gamepad API gives it (standard layout): A held drives.
    const padPage = await browser.newPage({ viewport: { width: WIDTH, height: HEIGHT } });
    watchForErrors(padPage);
    await padPage.addInitScript(() => {
      const button = () => ({ pressed: false, touched: false, value: 0 });
      window.pad = { id: 'a pad', index: 0, connected: true, mapping: 'standard', timestamp: 0,
        axes: [0, 0, 0, 0], buttons: Array.from({ length: 17 }, button) };
      navigator.getGamepads = () => [window.pad];
    });
    await padPage.goto(`http://127.0.0.1:${server.port}/`);
    const padStart = await gameStarted(padPage);
    await padPage.evaluate(() => { window.pad.buttons[0] = { pressed: true, touched: true, value: 1 }; });
    await poll('the pad to drive the car', 20, async () =>
      likeness(await screenshot(padPage), padStart, -29, 10, 49.5, 49.5, 8) < 0.7);
    pass("a pad's A, read through the browser's Gamepad API, drives");

    // The player's settings from the page's storage: w accelerates instead of Up.
    const ownKeys = await browser.newPage({ viewport: { width: WIDTH, height: HEIGHT } });
    watchForErrors(ownKeys);
    await ownKeys.addInitScript(() => localStorage.setItem('tarvelo-settings', 'key.accelerate = w\n'));
    await ownKeys.goto(`http://127.0.0.1:${server.port}/`);
    const ownStart = await gameStarted(ownKeys);
    await ownKeys.keyboard.down('w');
    await poll('w to drive the car', 20, async () =>
      likeness(await screenshot(ownKeys), ownStart, -29, 10, 49.5, 49.5, 8) < 0.7);
    pass("the player's settings come from the page's storage: w drives");

    // A hidden tab silences the game (the browser then gives it no frames, so it takes no steps
    // either); shown again, the engine sounds on.
    const tabShown = (shown) => ownKeys.evaluate((shown) => {
      Object.defineProperty(document, 'hidden', { value: !shown, configurable: true });
      Object.defineProperty(document, 'visibilityState', { value: shown ? 'visible' : 'hidden', configurable: true });
      document.dispatchEvent(new Event('visibilitychange'));
    }, shown);
    await poll('the engine to sound', 10, async () => await sound(ownKeys) === 'running, the engine playing');
    await tabShown(false);
    await poll('the game to fall silent in a hidden tab', 10, async () => await sound(ownKeys) === 'running');
    await tabShown(true);
    await poll('the engine to sound again', 10, async () => await sound(ownKeys) === 'running, the engine playing');
    pass('a hidden tab silences the game; shown again, the engine sounds on');

    // F11: the browser's full screen, and back.
    const fullScreen = () => ownKeys.evaluate(() => document.fullscreenElement !== null);
    await ownKeys.keyboard.press('F11');
    await poll('F11 to make the page full screen', 10, fullScreen);
    await ownKeys.keyboard.press('F11');
    await poll('F11 to leave full screen', 10, async () => !(await fullScreen()));
    pass('F11 makes the page full screen, and F11 again leaves it');
  } catch (error) {
    fail(error.message);
  } finally {
    if (errors.length === 0) pass('no error in the console');
    else errors.forEach((error) => fail(`the console says: ${error}`));
    await browser.close();
    server.s.close();
  }
  process.exit(failures === 0 ? 0 : 1);
}

main();
