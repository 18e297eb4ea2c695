// Serves a folder over HTTP on 127.0.0.1, as the browser build's page needs it: the files as they
// are, with the types browsers ask of WebAssembly and scripts; and starts the headless chromium
// the page's tests, benchmark and screenshot play it in.
//   Usage: node tools/serve_web.js FOLDER PORT   (PORT 0: any free port, said on stdout)
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
};

function serve(folder, port, ready) {
  const root = path.resolve(folder);
  const server = http.createServer((request, response) => {
    const wanted = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = path.join(root, wanted === '/' ? 'index.html' : wanted);
    if (!file.startsWith(root + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, (error, bytes) => {
      if (error) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, {
        'Content-Type': types[path.extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-cache',
      });
      response.end(bytes);
    });
  });
  server.listen(port, '127.0.0.1', () => ready(server, server.address().port));
  return server;
}

// Debian's chromium through playwright-core's `chromium`, headless: WebGL on the processor, and
// no network of its own (the machine may have none).
function launchChromium(chromium) {
  return chromium.launch({
    executablePath: '/usr/bin/chromium',
    args: ['--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--no-first-run'],
  });
}

module.exports = { serve, launchChromium };

if (require.main === module) {
  const [folder, port] = process.argv.slice(2);
  if (!folder || port === undefined) {
    console.error('usage: node tools/serve_web.js FOLDER PORT');
    process.exit(2);
  }
  serve(folder, Number(port), (server, actual) => console.log(`serving ${folder} on http://127.0.0.1:${actual}/`));
}
