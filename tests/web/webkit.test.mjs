// The page in WebKit (Debian's WebKitGTK MiniBrowser, driven through its WebDriver, WebKitWebDriver, on a display of
// the test's own), served over HTTP by server.mjs: the program (poromea.js and poromea.wasm) downloaded once, a deal.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { mkdtemp, rm } from 'node:fs/promises';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';
import { COVERS, PARTS, root, until } from './game.mjs';
import { serve } from './server.mjs';

test('in WebKit: the program downloaded once, and START deals the six parts', { timeout: 120_000 }, async (t) => {
  // Without its service worker, whose own fetches of the page's files may come before or after the page's.
  const server = await serve(root, { without: ['sw.js'] });
  t.after(server.close);
  // On an X display of its own (tests/private_display.sh), in a process group of its own, ended whole.
  const port = await new Promise((resolve) => { const s = createServer().listen(0, '127.0.0.1', () => { const { port: p } = s.address(); s.close(() => resolve(p)); }); });
  const dir = await mkdtemp(join(tmpdir(), 'poromea-webkit-'));
  t.after(() => rm(dir, { recursive: true, force: true }));
  const driver = spawn('bash', ['-c', '. "$0" && private_display "$1" && exec WebKitWebDriver --port="$2"',
    new URL('../private_display.sh', import.meta.url).pathname, dir, String(port)], { stdio: 'ignore', detached: true });
  const exited = new Promise((resolve) => driver.on('exit', resolve));
  t.after(async () => { if (driver.exitCode === null) { try { process.kill(-driver.pid); } catch { /* gone */ } } await exited; });

  const call = async (method, path, body) => {
    const response = await fetch(`http://127.0.0.1:${port}${path}`, { method, headers: { 'Content-Type': 'application/json' }, body: body && JSON.stringify(body) });
    const { value } = await response.json();
    if (!response.ok) throw new Error(`${method} ${path}: ${value.message}`);
    return value;
  };
  await until('WebKitWebDriver listens', () => call('GET', '/status').then((s) => s.ready));
  const { sessionId } = await call('POST', '/session', { capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': { binary: '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser', args: ['--automation'] } } } });
  t.after(() => call('DELETE', `/session/${sessionId}`).catch(() => {}));
  const session = (method, path, body) => call(method, `/session/${sessionId}${path}`, body);
  const run = (script) => session('POST', '/execute/sync', { script, args: [] });

  await session('POST', '/url', { url: server.url });
  await until('the game started', () => run('return document.documentElement.dataset.readyMs !== undefined'));
  assert.deepEqual(server.log.filter(([, path]) => /^\/poromea\.(js|wasm)$/.test(path)).sort(),
    [['GET', '/poromea.js', 200], ['GET', '/poromea.wasm', 200]]);

  const [start] = Object.values(await session('POST', '/element', { using: 'css selector', value: '#Form1 [data-control="Command1"]' }));
  await session('POST', `/element/${start}/click`, {});
  const cards = 'return [...document.querySelectorAll("#Form1 [data-card]")].map((e) => e.dataset.picture).sort().join(" ")';
  assert.equal(await until('the cards dealt', () => run(cards).then((shown) => shown !== COVERS.join(' ') && shown)), PARTS.join(' '));
});
