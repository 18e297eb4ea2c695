// The browser build's speed and weight, in Debian's chromium, headless, at 1024 x 768:
//  - its frame rate while the car drives, against an empty WebGL page animated the same way (a
//    clear and a swap each frame the browser gives), measured in the same run: the ratio; and, as
//    a bound on what any picture of the map can reach there, the same page drawing one textured
//    quad over its whole canvas each frame;
//  - how long after the page starts loading the game's first frame is drawn;
//  - what the page loads, gzip-compressed as a web server would send it.
//   Usage: node bench/browser_bench.js BUILD_WEB [SECONDS]   (after tools/web.sh; npm ci in tests/web)
'use strict';
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { chromium } = require('../tests/web/node_modules/playwright-core');
const { serve, launchChromium } = require('../tools/serve_web.js');

const [buildWeb, secondsText] = process.argv.slice(2);
const seconds = Number(secondsText || 10);

// The empty page: WebGL cleared and shown at every frame the browser offers.
const emptyPage = `<!doctype html><canvas id="c" style="display:block;width:100vw;height:100vh">
</canvas><script>
  const canvas = document.getElementById('c');
  canvas.width = innerWidth; canvas.height = innerHeight;
  const gl = canvas.getContext('webgl', { alpha: false });
  function frame() { gl.clearColor(0.16, 0.34, 0.13, 1); gl.clear(gl.COLOR_BUFFER_BIT); requestAnimationFrame(frame); }
  requestAnimationFrame(frame);
</script>`;

// The least a game whose map is a picture can draw: the empty page's clear, then one textured
// quad over the whole canvas (a 64 x 64 picture repeated, linearly filtered, as the map's dirt).
const texturedPage = `<!doctype html><canvas id="c" style="display:block;width:100vw;height:100vh">
</canvas><script>
  const canvas = document.getElementById('c');
  canvas.width = innerWidth; canvas.height = innerHeight;
  const gl = canvas.getContext('webgl', { alpha: false });
  const shader = (type, source) => {
    const made = gl.createShader(type); gl.shaderSource(made, source); gl.compileShader(made); return made;
  };
  const program = gl.createProgram();
  gl.attachShader(program, shader(gl.VERTEX_SHADER,
    'attribute vec2 p; varying vec2 t; void main() { t = p * 4.0; gl_Position = vec4(p, 0, 1); }'));
  gl.attachShader(program, shader(gl.FRAGMENT_SHADER, 'precision mediump float; varying vec2 t; ' +
    'uniform sampler2D s; void main() { gl_FragColor = texture2D(s, t); }'));
  gl.linkProgram(program); gl.useProgram(program);
  const texels = new Uint8Array(64 * 64 * 3).map((_, i) => (i * 37) & 255);
  gl.bindTexture(gl.TEXTURE_2D, gl.createTexture());
  gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGB, 64, 64, 0, gl.RGB, gl.UNSIGNED_BYTE, texels);
  gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.LINEAR);
  gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
  gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([-1, -1, 1, -1, 1, 1, -1, 1]), gl.STATIC_DRAW);
  gl.enableVertexAttribArray(0); gl.vertexAttribPointer(0, 2, gl.FLOAT, false, 0, 0);
  function frame() {
    gl.clearColor(0.16, 0.34, 0.13, 1); gl.clear(gl.COLOR_BUFFER_BIT);
    gl.drawArrays(gl.TRIANGLE_FAN, 0, 4); requestAnimationFrame(frame);
  }
  requestAnimationFrame(frame);
</script>`;

// Counts the frames a page draws: every animation-frame callback, which is where both pages
// draw (the game's GLUT draws a frame at each one it asks for). The first one's time too.
const counting = () => {
  window.framesDrawn = 0;
  const ask = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => ask((time) => {
    if (window.framesDrawn++ === 0) window.firstFrame = performance.now();
    callback(time);
  });
};

async function framesPerSecond(page) {
  const before = await page.evaluate(() => [window.framesDrawn, performance.now()]);
  await new Promise((resolve) => setTimeout(resolve, seconds * 1000));
  const after = await page.evaluate(() => [window.framesDrawn, performance.now()]);
  return (after[0] - before[0]) / ((after[1] - before[1]) / 1000);
}

async function main() {
  const server = await new Promise((resolve) => serve(buildWeb, 0, (s, port) => resolve({ s, port })));
  fs.writeFileSync(path.join(buildWeb, 'bench-empty.html'), emptyPage);
  fs.writeFileSync(path.join(buildWeb, 'bench-textured.html'), texturedPage);
  const browser = await launchChromium(chromium);
  const viewport = { width: 1024, height: 768 };
  try {
    const empty = await browser.newPage({ viewport });
    await empty.addInitScript(counting);
    await empty.goto(`http://127.0.0.1:${server.port}/bench-empty.html`);
    const emptyRate = await framesPerSecond(empty);
    await empty.close();
    const textured = await browser.newPage({ viewport });
    await textured.addInitScript(counting);
    await textured.goto(`http://127.0.0.1:${server.port}/bench-textured.html`);
    const texturedRate = await framesPerSecond(textured);
    await textured.close();

    const game = await browser.newPage({ viewport });
    await game.addInitScript(counting);
    await game.goto(`http://127.0.0.1:${server.port}/`);
    await game.waitForFunction(() => window.framesDrawn > 0, null, { timeout: 30000 });
    const firstFrame = await game.evaluate(() => window.firstFrame);
    await game.keyboard.down('ArrowUp');  // the car drives: a frame for every one offered
    const gameRate = await framesPerSecond(game);
    await game.keyboard.up('ArrowUp');
    await game.close();

    let weight = 0;
    for (const file of ['index.html', 'index.js', 'index.wasm', 'index.data'])
      weight += zlib.gzipSync(fs.readFileSync(path.join(buildWeb, file)), { level: 9 }).length;

    console.log(`empty WebGL page: ${emptyRate.toFixed(1)} frames/s`);
    console.log(`one textured quad over the page: ${texturedRate.toFixed(1)} frames/s, ` +
      `${(texturedRate / emptyRate).toFixed(3)} of the empty page's`);
    console.log(`the game, driving: ${gameRate.toFixed(1)} frames/s`);
    console.log(`ratio: ${(gameRate / emptyRate).toFixed(3)} (at least 0.95 wanted); ` +
      `${(gameRate / texturedRate).toFixed(3)} of the textured quad's`);
    console.log(`first frame: ${firstFrame.toFixed(0)} ms after the page began to load`);
    console.log(`the page's files, gzip-compressed: ${(weight / 1024).toFixed(0)} KiB`);
  } finally {
    for (const page of ['bench-empty.html', 'bench-textured.html']) fs.unlinkSync(path.join(buildWeb, page));
    await browser.close();
    server.s.close();
  }
}

main();
