// The page as an app on a phone, in headless Chromium: fetched once and
// compiled as it streams, installable, played offline, replaced by a new
// build, zoomable while a card's drag moves no page. Served over HTTP by
// server.mjs (a service worker needs a secure origin, which 127.0.0.1 is).
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { cp, mkdtemp, readFile, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';
import { promisify } from 'node:util';
import { COVERS, Game, PARTS, root, until } from './game.mjs';
import { serve } from './server.mjs';

const source = new URL('../../host/web/', import.meta.url).pathname;

const controlled = (game) => until('a service worker controls the page', () => game.page.evaluate(() => navigator.serviceWorker.controller !== null));
const cacheNames = (game) => game.page.evaluate(() => caches.keys());

async function served(t, folder = root, options) {
  const server = await serve(folder, options);
  t.after(server.close);
  return server;
}

// Which of WebAssembly's compilers the page calls.
const spyCompile = () => {
  for (const name of ['instantiate', 'instantiateStreaming', 'compile', 'compileStreaming']) {
    const real = WebAssembly[name];
    WebAssembly[name] = function (...args) { (window.compiledBy ??= []).push(name); return real.apply(this, args); };
  }
};

async function playWhole(game) {
  await game.placeAll(await game.deal());
  await game.press('Command2');
  assert.deepEqual(await game.seen(), { cards: COVERS, slots: PARTS, form2: [[228, 129, 562, 108]], message: [] });
}

test('the wasm, fetched once and compiled as it streams, by the tests\' own route and over HTTP', async (t) => {
  const server = await served(t);
  for (const options of [{}, { server }]) {
    const wasm = [];
    const game = await Game.open({ ...options, init: spyCompile }, t);
    game.page.on('response', (r) => r.url().endsWith('.wasm') && wasm.push(r.headers()['content-type']));
    await game.page.reload();
    await game.ready();
    assert.deepEqual([wasm, await game.page.evaluate(() => window.compiledBy)], [['application/wasm'], ['compileStreaming', 'instantiate']]);
  }
  // The first visit over HTTP: the page's one download, then the service worker's check that it has not changed.
  assert.deepEqual(server.log.filter(([, path]) => path === '/poromea.wasm').map(([, , status]) => status).slice(0, 2), [200, 304]);
});

test('installable from any folder of a site: the manifest, its icons and the service worker', async (t) => {
  const profile = await mkdtemp(join(tmpdir(), 'poromea-profile-'));
  const server = await served(t, root, { under: '/games/poromea/' });
  const game = await Game.open({ server, phone: true, profile }, t);
  t.after(() => rm(profile, { recursive: true, force: true }));  // once the browser is closed
  await controlled(game);
  assert.deepEqual((await game.cdp.send('Page.getInstallabilityErrors')).installabilityErrors, []);
  const { url, errors, manifest } = await game.cdp.send('Page.getAppManifest');
  // Opened from the home screen: its name, in a window of its own, at the folder, in the page's blue.
  const at = `${server.origin}/games/poromea/`;
  assert.deepEqual([url, errors, manifest.name, manifest.display, manifest.startUrl, manifest.scope, manifest.themeColor, manifest.backgroundColor],
    [`${at}manifest.webmanifest`, [], 'ポロメア', 'kStandalone', at, at, 'rgba(58,110,143,1)', 'rgba(58,110,143,1)']);
  assert.equal(await game.page.evaluate(() => getComputedStyle(document.body).backgroundColor), 'rgb(58, 110, 143)');
  assert.equal(await game.page.evaluate(() => navigator.serviceWorker.controller.scriptURL), `${at}sw.js`);
});

test('offline: the page, once visited, starts and plays a whole game with no network', async (t) => {
  const server = await served(t);
  const game = await Game.open({ server }, t);
  await controlled(game);
  await server.close();
  await game.context.setOffline(true);
  await game.page.reload();
  await game.ready();
  await playWhole(game);
});

test('a new build replaces the old one on the next visit, and the old one\'s cache goes, not another copy\'s', async (t) => {
  const folder = await mkdtemp(join(tmpdir(), 'poromea-build-'));
  await cp(root, folder, { recursive: true });
  await cp(root, join(folder, 'other'), { recursive: true });  // another copy on the same site
  const game = await Game.open({ server: await served(t, folder), query: 'other/' }, t);
  t.after(() => rm(folder, { recursive: true, force: true }));  // once the browser is closed
  await controlled(game);
  await game.page.goto(new URL('..', game.page.url()).href).then(() => controlled(game));
  const old = await cacheNames(game);
  // The new build: a changed page, and its service worker written by the build's step.
  const page = await readFile(join(folder, 'index.html'), 'utf8');
  await writeFile(join(folder, 'index.html'), page.replace('<title>ポロメア</title>', '<title>ポロメア</title><meta name="build" content="二番目">'));
  await promisify(execFile)('cmake', [`-DDIR=${folder}`, `-DTEMPLATE=${source}service_worker.js`, '-P', `${source}service_worker.cmake`]);
  await game.page.reload();
  await until('the new build shown', () => game.page.evaluate(() => document.querySelector('meta[name=build]')?.content === '二番目'));
  await game.ready();
  const now = await cacheNames(game);
  assert.ok(old.length === 2 && now.length === 2 && now.filter((name) => !old.includes(name)).length === 1, `${old} then ${now}`);
  await playWhole(game);
});

test('the page zooms on a phone; a card dragged by touch on the zoomed page moves no page', async (t) => {
  const game = await Game.open({ phone: true }, t);
  const faceUp = await game.deal();
  // As a pinch does (this headless browser synthesises no pinch), refused by a page that forbids zooming.
  await game.cdp.send('Emulation.setPageScaleFactor', { pageScaleFactor: 2 });
  const view = () => game.page.evaluate(() => ({ scale: visualViewport.scale, left: visualViewport.pageLeft, top: visualViewport.pageTop, x: scrollX, y: scrollY }));
  const zoomed = await view();
  assert.equal(zoomed.scale, 2);
  const outline = [];
  await game.drag(faceUp.indexOf('part0'), game.control('Image10'), { between: async () => outline.push(await game.page.locator('.outline').isVisible()) });
  assert.deepEqual(outline, [true], 'the card was held');
  assert.deepEqual([await view(), (await game.seen()).slots[0]], [zoomed, COVERS[faceUp.indexOf('part0')]]);
});

test('the main window stands where the game puts it before the game has loaded, on a computer and on a phone', async (t) => {
  // Where it is when the page has been read, before the module has started (START gets the keys then), and after.
  const record = () => document.addEventListener('DOMContentLoaded', () => {
    const r = document.querySelector('#Form1').getBoundingClientRect();
    window.beforeStart = [r.x, r.y, r.width, r.height, document.activeElement?.dataset.control ?? 'none'];
  });
  const box = (game) => game.page.evaluate(() => [window.beforeStart, [...Object.values(document.querySelector('#Form1').getBoundingClientRect().toJSON()).slice(0, 4), document.activeElement.dataset.control]])
    .then((boxes) => boxes.map((b) => b.map((v) => (typeof v === 'number' ? Math.round(v) : v))));
  const computer = await Game.open({ init: record }, t);
  assert.deepEqual(await box(computer), [[308, 183, 663, 433, 'none'], [308, 183, 663, 433, 'Command1']]);
  const phone = await Game.open({ init: record, phone: true }, t);
  assert.deepEqual(await box(phone), [[0, 294, 390, 255, 'none'], [0, 294, 390, 255, 'Command1']]);
});

test('the main window is painted with all its pictures while the program is still on its way', async (t) => {
  // poromea.js is held back until every picture of the main window has been painted, or for ever.
  let before;
  const painted = () => new Promise((resolve) => {
    const seen = [];
    setTimeout(() => resolve([seen.sort(), 'still waiting']), 5000);
    new PerformanceObserver((list) => {
      seen.push(...list.getEntries().map((e) => `${e.element.dataset.control} ${e.element.dataset.picture}`));
      if (seen.length === 14) resolve([seen.sort(), document.activeElement?.dataset.control ?? 'none']);
    }).observe({ type: 'element', buffered: true });
  });
  const hold = (context) => context.route('**/poromea.js', async (route) => {
    before = await route.request().frame().evaluate(painted);
    await route.fallback();
  });
  const game = await Game.open({ routes: hold }, t);
  assert.deepEqual(before, [['Image1 title', 'Image10 empty', 'Image11 empty', 'Image12 empty', 'Image13 empty', 'Image14 empty', 'Image15 empty',
    'Image2 face', 'Imgx(0) cover1', 'Imgx(1) cover2', 'Imgx(2) cover3', 'Imgx(3) cover4', 'Imgx(4) cover5', 'Imgx(5) cover6'], 'none']);
  await playWhole(game);
});

test('a program that cannot be downloaded is reported on the page, over the window', async (t) => {
  for (const [file, reason] of [['poromea.js', 'poromea.js を読み込めません。'], ['poromea.wasm', 'poromea.wasm: ']]) {
    const game = await Game.open({ started: false, routes: (context) => context.route(`**/${file}`, (route) => route.abort()) }, t);
    const report = game.page.locator('.failure[role=alert]');
    await report.waitFor();
    const text = await report.textContent();
    assert.ok(text.startsWith(`ゲームを開始できません。\n${reason}`), text);
    game.failures = [text];
    // The browser's own word on the download that failed, and nothing else.
    assert.ok(game.problems.length > 0 && game.problems.every((p) => p.startsWith('Failed to load resource')), game.problems.join('\n'));
    game.problems.length = 0;
  }
});
