// The page as an app, in headless Chromium: under 300 KB, installable, fetched once and compiled as it streams,
// replaced by a new build, played offline. Served over HTTP by server.mjs
// (a service worker needs a secure origin, which 127.0.0.1 is).
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { cp, mkdtemp, readdir, readFile, rm, stat, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';
import { promisify } from 'node:util';
import { COVERS, Game, PARTS, root, until } from './game.mjs';
import { serve } from './server.mjs';

const source = new URL('../../host/web/', import.meta.url).pathname;

// The page's own worker, its folder's: a copy at the site's root has one whose scope covers every folder.
const controlled = (game) => until('its own service worker controls the page', () => game.page.evaluate(() =>
  navigator.serviceWorker.controller?.scriptURL === new URL('sw.js', location.href).href));
const cacheNames = (game) => game.page.evaluate(() => caches.keys());

test('the page is under 300 KB, as a phone on a slow line wants it', async () => {
  const sizes = await Promise.all((await readdir(root)).map(async (f) => (await stat(`${root}/${f}`)).size));
  assert.ok(sizes.reduce((sum, size) => sum + size) < 300_000, `${sizes} bytes`);
});

// Which of WebAssembly's compilers the page calls.
const spyCompile = () => ['instantiate', 'instantiateStreaming', 'compile', 'compileStreaming'].forEach((name) => {
  const real = WebAssembly[name];
  WebAssembly[name] = function (...args) { (window.compiledBy ??= []).push(name); return real.apply(this, args); };
});

// In a player's browser, from a folder of a site that holds another copy too: installable, the wasm downloaded
// once; a new build found while a game is being played takes over, and the game goes on; it is the page's next
// start, and the old one's cache goes, not the other copy's; with no network, the new build starts from
// what its service worker keeps, compiled as it streams.
test('installable from any folder of a site, replaced by a new build, played offline', async (t) => {
  const [folder, profile] = await Promise.all(['build', 'profile'].map((what) => mkdtemp(join(tmpdir(), `poromea-${what}-`))));
  await cp(root, folder, { recursive: true });
  await cp(root, join(folder, 'other'), { recursive: true });
  const server = await serve(folder, { under: '/games/poromea/' }), at = `${server.origin}/games/poromea/`;
  t.after(server.close);
  const game = await Game.open({ server, query: 'other/', init: spyCompile, profile, screen: { deviceScaleFactor: 2.625 } }, t);
  t.after(() => Promise.all([folder, profile].map((f) => rm(f, { recursive: true, force: true }))));  // once the browser is closed
  await controlled(game);
  await game.page.goto(at).then(() => controlled(game));
  // The first visit: the page's one download of the wasm, then the service worker's check that it has not changed.
  assert.deepEqual(server.log.filter(([, path]) => path === '/games/poromea/poromea.wasm').map(([, , status]) => status), [200, 304]);
  assert.deepEqual((await game.cdp.send('Page.getInstallabilityErrors')).installabilityErrors, []);
  // Opened from the home screen: its name, in a window of its own, at the folder, kept by the folder's service worker.
  const { errors, manifest } = await game.cdp.send('Page.getAppManifest');
  assert.deepEqual([errors, manifest.name, manifest.display, manifest.startUrl, manifest.scope, await game.page.evaluate(() => navigator.serviceWorker
    .controller.scriptURL)], [[], 'ポロメア', 'kStandalone', at, at, `${at}sw.js`]);
  const old = await cacheNames(game);
  await game.page.reload().then(() => game.ready());  // the player back: a page its worker had from the start
  // The new build: a changed page, and its service worker written by the build's step.
  const page = await readFile(join(folder, 'index.html'), 'utf8');
  await writeFile(join(folder, 'index.html'), page.replace('<title>ポロメア</title>', '<title>ポロメア</title><meta name="build" content="二番目">'));
  await promisify(execFile)('cmake', [`-DDIR=${folder}`, `-DTEMPLATE=${source}service_worker.js`, '-P', `${source}service_worker.cmake`]);
  await game.press('Command1');
  // A reload the page asks for as the new build takes over is a navigation begun before this page's listener hears it.
  await game.page.evaluate(() => {
    navigation.addEventListener('navigate', () => { window.leaving = true; });
    navigator.serviceWorker.addEventListener('controllerchange', () => { window.tookOver = { leaving: window.leaving ?? false }; });
    return navigator.serviceWorker.getRegistration().then((r) => r.update());
  });
  assert.deepEqual(await until('the new build took over, this page still open', () => game.page.evaluate(() => window.tookOver)), { leaving: false }, 'the game in progress was reloaded');
  await game.page.reload();
  await until('the new build shown', () => game.page.evaluate(() => document.querySelector('meta[name=build]')?.content === '二番目'));
  await game.ready();
  const now = await cacheNames(game);
  assert.ok(old.length === 2 && now.length === 2 && now.filter((name) => !old.includes(name)).length === 1, `${old} then ${now}`);
  // The pictures for its density of 2.625, kept by the new build's worker as the page asked for them (not the other copy's).
  await until('the pictures for 3 kept', () => game.page.evaluate(() => caches.keys().then((names) => Promise.all(names
    .filter((n) => n.startsWith('poromea /games/poromea/ ')).map((n) => caches.open(n)
    .then((c) => c.keys())))).then((kept) => kept.flat().filter((r) => r.url.endsWith('@3x.png')).length >= 16)));
  await server.close();
  await game.context.setOffline(true);
  await game.page.reload();
  await game.ready();
  await until('the pictures for 3 shown offline', () => game.page.evaluate(() => document.getElementById('desk').dataset.density === '3'));
  assert.deepEqual(await game.page.evaluate(() => window.compiledBy), ['compileStreaming', 'instantiate']);
  await game.placeAll(await game.deal());
  await game.press('Command2');
  assert.deepEqual(await game.seen(), { cards: COVERS, slots: PARTS, form2: [[228, 129, 562, 108]], message: [] });
});

test('a program that cannot be downloaded is reported on the page, over the window', async (t) => {
  for (const [file, reason] of [['poromea.js', 'poromea.js を読み込めません。'], ['poromea.wasm', 'poromea.wasm: ']]) {
    const game = await Game.open({ started: false, routes: (context) => context.route(`**/${file}`, (route) => route.abort()) }, t);
    const text = await game.page.locator('.failure[role=alert]').textContent();
    assert.ok(text.startsWith(`ゲームを開始できません。\n${reason}`), text);
    game.failures = [text];
    // The browser's own word on the download that failed, and nothing else.
    assert.ok(game.problems.length > 0 && game.problems.every((p) => p.startsWith('Failed to load resource')), game.problems.join('\n'));
    game.problems.length = 0;
  }
});

// The service worker of a copy at a site's root, and of one at /game/, answers only its own page: another page of
// the site shows itself, and a mistyped address under /game/ gets the server's own answer, not a broken game.
test('a copy answers for its own page only, at the root of a site or in a folder', async (t) => {
  const folder = await mkdtemp(join(tmpdir(), 'poromea-site-'));
  t.after(() => rm(folder, { recursive: true, force: true }));
  await cp(root, folder, { recursive: true });
  await cp(root, join(folder, 'game'), { recursive: true });
  await writeFile(join(folder, 'other.html'), '<!doctype html><title>ほかのページ</title><p>ほかのページ</p>');
  const server = await serve(folder);
  t.after(server.close);
  const game = await Game.open({ server }, t);
  await controlled(game);
  await game.page.goto(`${server.origin}/game/?memorise=8`).then(() => controlled(game));
  const visit = async (path) => {
    const response = await game.page.goto(server.origin + path);
    return [path, response.status(), response.fromServiceWorker(), await game.page.title()];
  };
  const visited = [];
  for (const path of ['/other.html', '/game/foo/', '/game/index.html?memorise=9']) visited.push(await visit(path));
  assert.deepEqual(visited, [
    ['/other.html', 200, false, 'ほかのページ'], ['/game/foo/', 404, false, ''], ['/game/index.html?memorise=9', 200, true, 'ポロメア']]);
  await game.ready();
  game.problems.splice(0, game.problems.length, ...game.problems.filter((p) => !p.startsWith('Failed to load resource')));  // the 404 asked for
});
