// The page in WebKit (Debian's WebKitGTK MiniBrowser, driven through its WebDriver, WebKitWebDriver, on a display of
// the test's own), served over HTTP by server.mjs: the program (poromea.js and poromea.wasm) downloaded once, a deal.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { createServer } from 'node:net';
import { test } from 'node:test';
import { COVERS, PARTS, root, until } from './game.mjs';
import { serve } from './server.mjs';

// Something started in its own process group, ended with all it started.
function started(command, args, options) {
  const child = spawn(command, args, { detached: true, ...options });
  const exited = new Promise((resolve) => child.on('exit', resolve));
  return { child, end: async () => { if (child.exitCode === null) { try { process.kill(-child.pid); } catch { /* gone */ } } await exited; } };
}

test('in WebKit: the program downloaded once, and START deals the six parts', { timeout: 120_000 }, async (t) => {
  // Without its service worker, whose own fetches of the page's files may come before or after the page's.
  const server = await serve(root, { without: ['sw.js'] });
  t.after(server.close);
  // A number of its own, claimed by the server's lock file: Xvfb left to choose races another server choosing at once.
  let display;
  for (let tries = 0; !display && tries < 50; ++tries) {
    const number = 200 + Math.floor(Math.random() * 800);
    const xvfb = started('Xvfb', [`:${number}`, '-displayfd', '3', '-screen', '0', '1280x800x24', '-nolisten', 'tcp'], { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
    t.after(xvfb.end);
    display = await new Promise((resolve) => { xvfb.child.stdio[3].once('data', () => resolve(`:${number}`)); xvfb.child.once('exit', () => resolve()); });
  }
  if (!display) throw new Error('no free X display');
  const port = await new Promise((resolve) => { const s = createServer().listen(0, '127.0.0.1', () => { const { port: p } = s.address(); s.close(() => resolve(p)); }); });
  const driver = started('WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore', env: { ...process.env, DISPLAY: display } });
  t.after(driver.end);

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
