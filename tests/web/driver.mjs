// Drives the page in headless Chromium the way a player does: the real
// pointer, touch and keys go through the browser; the page is only read.
import assert from 'node:assert/strict';
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { after, afterEach, before, test } from 'node:test';
import { chromium } from 'playwright-core';

export const root = process.env.POROMEA_WEB ?? new URL('../../build-web', import.meta.url).pathname;
export const PARTS = ['part0', 'part1', 'part2', 'part3', 'part4', 'part5'];
export const COVERS = ['cover1', 'cover2', 'cover3', 'cover4', 'cover5', 'cover6'];
export const EMPTY = Array(6).fill('empty');
const types = { html: 'text/html; charset=utf-8', js: 'text/javascript', wasm: 'application/wasm' };

let browser, server, origin;
const games = [];  // open pages, each checked once after its test
before(async () => {
  // A plain static server; cross-origin isolation gives the page's clock the fine resolution the timings need.
  server = createServer(async (request, response) => {
    const path = new URL(request.url, origin).pathname.replace(/\/$/, '/index.html');
    const body = await readFile(root + path).catch(() => null);
    response.writeHead(body ? 200 : 404, { 'Content-Type': types[path.split('.').pop()] ?? 'application/octet-stream',
      'Cross-Origin-Opener-Policy': 'same-origin', 'Cross-Origin-Embedder-Policy': 'require-corp' }).end(body);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  origin = `http://127.0.0.1:${server.address().port}`;
  browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--disable-gpu'] });
});
after(async () => { await browser?.close(); server.close(); });
afterEach(async () => { while (games.length) await games[0].close(); });

// A test on a fresh game; it times out rather than waiting for ever.
export const play = (name, options, body) => test(name, { timeout: 120_000 }, async (t) => body(await Game.open(options), t));

export class Game {
  // `phone`: a 390 x 844 touch screen; `clock`: the memorise time is run at once.
  static async open({ phone = false, clock = true } = {}) {
    const context = await browser.newContext({ viewport: phone ? { width: 390, height: 844 } : { width: 1280, height: 800 },
      hasTouch: phone, isMobile: phone });
    const game = Object.assign(new Game(), { context, page: await context.newPage(), phone, problems: [], failures: [] });
    games.push(game);
    game.page.on('console', (m) => ['error', 'warning'].includes(m.type()) && game.problems.push(m.text()));
    game.page.on('pageerror', (e) => game.problems.push(e.message));
    game.page.on('request', (r) => [origin, 'null'].includes(new URL(r.url()).origin) || game.problems.push(r.url()));
    if (clock) await game.page.clock.install();
    game.cdp = await context.newCDPSession(game.page);
    await game.page.goto(origin);
    await game.drawn();
    return game;
  }

  // Ms from navigation to the main window drawn, polled bare: in-page helpers would hold up start-up.
  async drawn() {
    for (let tries = 0; tries < 300; ++tries, await this.page.waitForTimeout(50)) {
      const { result } = await this.cdp.send('Runtime.evaluate', { expression: 'document.documentElement.dataset.drawnMs' });
      if (result.value !== undefined) return Number(result.value);
    }
    throw new Error('the main window was never drawn with all its pictures');
  }

  // Only the failure reports the test expects, no console error, no request beyond the page's origin.
  async close() {
    games.splice(games.indexOf(this), 1);
    const failures = await this.page.locator('.failure[role=alert]').allTextContents();
    await this.context.close();
    assert.deepEqual({ failures, problems: this.problems }, { failures: this.failures, problems: [] });
  }

  control(name, form = 'Form1') { return this.page.locator(`#${form} [data-control="${name}"]`); }

  // An element's centre, or the point `at` from its top left corner.
  point(locator, at) {
    return locator.boundingBox().then((b) => (at ? { x: b.x + at.x, y: b.y + at.y } : { x: b.x + b.width / 2, y: b.y + b.height / 2 }));
  }

  async keys(...names) { for (const name of names) await this.page.keyboard.press(name); }
  // Forced: a click that a modal box takes is a player's click too.
  press(button, form) { return this.control(button, form)[this.phone ? 'tap' : 'click']({ force: true }); }

  // START, then the memorise time; returns the parts dealt face up, by card.
  async deal() {
    await this.press('Command1');
    const { cards: faceUp } = await this.seen();
    await this.page.clock.runFor(5000);
    assert.deepEqual([[...faceUp].sort(), (await this.seen()).cards], [PARTS, COVERS]);
    return faceUp;
  }

  // Holds a card (by number) or an element, moves it over `target` (at `at`), `between` runs, lets go.
  async drag(from, target, { at, between } = {}) {
    from = await this.point(typeof from === 'number' ? this.control(`Imgx(${from})`) : from);
    const to = await this.point(target, at), { mouse } = this.page;
    const touch = (type, ...touchPoints) => this.cdp.send('Input.dispatchTouchEvent', { type, touchPoints });
    const move = (p) => (this.phone ? touch('touchMove', p) : mouse.move(p.x, p.y));
    await (this.phone ? touch('touchStart', from) : mouse.move(from.x, from.y).then(() => mouse.down()));
    for (let i = 1; i <= 4; ++i) await move({ x: from.x + ((to.x - from.x) * i) / 4, y: from.y + ((to.y - from.y) * i) / 4 });
    // A finger rests before it lifts: the browser takes a flick for a fling and swallows the tap that stops it.
    if (this.phone) await this.page.waitForTimeout(100).then(() => move(to));
    await between?.();
    await (this.phone ? touch('touchEnd') : mouse.up());
  }

  // Drags the card dealt each part onto the slot `slotOfPart[part]`.
  async placeAll(faceUp, slotOfPart = [0, 1, 2, 3, 4, 5]) {
    for (let part = 0; part < 6; ++part) await this.drag(faceUp.indexOf(`part${part}`), this.control(`Image1${slotOfPart[part]}`));
  }

  // What the player sees: the cards, the slots, each congratulation window's client area, each message box.
  seen() {
    return this.page.evaluate(() => {
      const pictures = (which) => [...document.querySelectorAll(`#Form1 [data-${which}]`)]
        .sort((a, b) => a.dataset[which] - b.dataset[which]).map((e) => e.dataset.picture);
      return { cards: pictures('card'), slots: pictures('slot'),
        form2: [...document.querySelectorAll('#Form2:not([hidden]) .client')].map((e) => e.getBoundingClientRect())
          .map((r) => [r.x, r.y, r.width, r.height].map(Math.round)),
        message: [...document.querySelectorAll('dialog[open]')].map((d) => [d.getAttribute('role'), d.matches(':modal'),
          ...[...d.querySelectorAll('.titlebar, p, button, img')].map((e) => e.textContent || e.tagName)]) };
    });
  }
}
