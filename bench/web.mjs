// The page's size, start-up and handler times in headless Chromium (make bench-web):
//   node bench/web.mjs [BUILD_WEB_DIR]
// Start-up is from navigation to the last of the main window's pictures painted (Element Timing), to
// the first paint (the browser's first-contentful-paint), and to the game taking input (data-ready-ms:
// the program has started and holds the window), each beside the same for a blank page and for the page
// without its program;
// handlers are timed in the page, through real clicks and drags with frames between: medians, as a player
// repeats them. The game carries nothing for it: the bench times every listener the page adds, from outside. The page is served cross-origin isolated, which gives its clock a fine resolution.
import { createServer } from 'node:http';
import { createRequire } from 'node:module';
import { readdir, readFile, stat } from 'node:fs/promises';

// The browser driver the page's tests pin (tests/web/package-lock.json).
const { chromium } = createRequire(new URL('../tests/web/', import.meta.url))('playwright-core');
const root = process.argv[2] ?? new URL('../build-web', import.meta.url).pathname;
const types = { html: 'text/html; charset=utf-8', js: 'text/javascript', wasm: 'application/wasm' };
const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];
const µs = (ms) => `${Math.round(ms * 1000)} µs`;

// Beside the page, for scale, two pages the browser paints as fast as it can: /blank/, one line of text,
// and /bare/, the page's own index.html without its scripts (the main window and its pictures, no program).
const html = await readFile(`${root}/index.html`, 'utf8');
const pages = { '/blank/index.html': '<!doctype html><html lang="ja"><meta charset="utf-8"><title>ポロメア</title><p>ポロメア</p></html>',
  '/bare/index.html': html.replace(/<script[^]*?<\/script>/g, '') };
const server = createServer(async (request, response) => {
  const path = new URL(request.url, 'http://localhost').pathname.replace(/\/$/, '/index.html');
  const body = pages[path] ?? await readFile(root + path.replace(/^\/(blank|bare)\//, '/')).catch(() => null);
  response.writeHead(body ? 200 : 404, { 'Content-Type': types[path.split('.').pop()] ?? 'application/octet-stream',
    'Cross-Origin-Opener-Policy': 'same-origin', 'Cross-Origin-Embedder-Policy': 'require-corp' }).end(body);
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}`;
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--disable-gpu'] });

// Once the page has loaded (and the game, if there is one, has started): in ms from navigation, its first
// paint, the last of its pictures painted (Element Timing) and the game taking input (the page's
// data-ready-ms). Polled bare: an in-page helper would hold up start-up.
async function timings(page, cdp, game) {
  for (let tries = 0; tries < 300; ++tries, await page.waitForTimeout(50)) {
    const { result } = await cdp.send('Runtime.evaluate', { expression: 'document.documentElement.dataset.readyMs', returnByValue: true });
    if (!game || result.value != null) {
      return page.evaluate(() => new Promise((resolve) => {
        const painted = [];
        const done = () => resolve([performance.getEntriesByName('first-contentful-paint')[0]?.startTime ?? NaN,
          painted.length === 14 ? Math.max(...painted) : NaN, Number(document.documentElement.dataset.readyMs ?? NaN)]);
        new PerformanceObserver((list) => painted.push(...list.getEntries().map((e) => e.renderTime))).observe({ type: 'element', buffered: true });
        setTimeout(done, 100);  // the buffered entries come at once
      }));
    }
  }
  throw new Error('the game never started');
}

// In the page before its own scripts: every listener added is timed as it runs, by its event's type and the
// control (or window) it was added to, in milliseconds.
function timeListeners() {
  const times = window.handlerTimes = {};
  const add = EventTarget.prototype.addEventListener;
  EventTarget.prototype.addEventListener = function (type, listener, options) {
    if (typeof listener !== 'function') return add.call(this, type, listener, options);
    const name = `${type} ${this.dataset?.control ?? this.id ?? ''}`;
    return add.call(this, type, function (...args) {
      const start = performance.now();
      try { return listener.apply(this, args); } finally { (times[name] ??= []).push(performance.now() - start); }
    }, options);
  };
}

try {
  const sizes = await Promise.all((await readdir(root)).map(async (f) => [f, (await stat(`${root}/${f}`)).size]));
  console.log(`${sizes.reduce((sum, [, size]) => sum + size, 0)} bytes: ${sizes.map((s) => s.join(' ')).join(', ')}`);

  // By page, visit (nothing cached, then the caches warm) and figure: the medians of 7 rounds, the pages taking turns.
  const figures = {};
  const record = (name, visit, values) => ['first paint', 'pictures painted', 'game ready'].forEach((figure, k) => {
    if (!Number.isNaN(values[k])) ((figures[`${name}, ${figure}, ${visit} visit`] ??= [])).push(values[k]);
  });
  let page;
  for (let i = 0; i < 7; ++i) {
    for (const [name, path] of [['blank page', '/blank/'], ['page without its program', '/bare/'], ['game', '/']]) {
      const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
      if (name === 'game' && i === 6) await context.addInitScript(timeListeners);
      page = await context.newPage();
      const cdp = await page.context().newCDPSession(page);
      await page.goto(origin + path);
      record(name, 'first', await timings(page, cdp, name === 'game'));
      await page.reload();
      record(name, 'repeat', await timings(page, cdp, name === 'game'));
      if (name !== 'game' || i < 6) await page.context().close();
    }
  }
  for (const [figure, ms] of Object.entries(figures)) console.log(`${figure}: median ${Math.round(median(ms))} ms of ${ms.map(Math.round)}`);

  const control = (name) => page.locator(`#Form1 [data-control="${name}"]`);
  const centre = async (name) => { const b = await control(name).boundingBox(); return [b.x + b.width / 2, b.y + b.height / 2]; };
  for (let i = 0; i < 40; ++i) await control('Command1').click();
  const faceUp = await page.evaluate(() => [...document.querySelectorAll('#Form1 [data-card]')]
    .sort((a, b) => a.dataset.card - b.dataset.card).map((e) => e.dataset.picture));
  await page.waitForTimeout(5300);  // the memorise time of the 40th deal
  for (let n = 0; n < 30; ++n) {  // the whole face, five times over
    await page.mouse.move(...await centre(`Imgx(${faceUp.indexOf(`part${n % 6}`)})`));
    await page.mouse.down();
    await page.mouse.move(...await centre(`Image1${n % 6}`), { steps: 4 });
    await page.mouse.up();
  }
  for (let i = 0; i < 40; ++i) await control('Command2').click({ force: true });  // the congratulation window may cover it
  const times = await page.evaluate(() => window.handlerTimes);
  const [START, drop, [first, ...ok]] = ['click Command1', 'pointerup Form1', 'click Command2'].map((k) => times[k]);
  console.log(`handler medians: START ${µs(median(START))}, drop ${µs(median(drop))}, O  K ${µs(median(ok))} (first ${µs(first)})`);
} finally {
  await browser.close();
  server.close();
}
