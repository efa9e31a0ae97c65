// Drives the page in headless Chromium the way a player does: the real
// pointer, touch and keys go through the browser; only reading is done in the
// page (what a control shows, which windows are open).
import assert from 'node:assert/strict';
import { chromium } from 'playwright-core';
import { serve } from './server.mjs';

const root = process.env.POROMEA_WEB ?? new URL('../../build-web', import.meta.url).pathname;

export const PARTS = ['part0', 'part1', 'part2', 'part3', 'part4', 'part5'];
export const COVERS = ['cover1', 'cover2', 'cover3', 'cover4', 'cover5', 'cover6'];
export const EMPTY = Array(6).fill('empty');
export const MEMORISE_MS = 5000;

// One browser and one server for a test file.
export async function startBrowser(headers) {
  const server = await serve(root, headers);
  const browser = await chromium.launch({
    executablePath: '/usr/bin/chromium',
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  return { browser, server, close: async () => { await browser.close(); server.close(); } };
}

export class Game {
  // A fresh page with the game drawn. `touch` makes it a phone; `clock`
  // lets the test run the memorise time at once instead of waiting for it.
  static async open({ browser, server }, { viewport = { width: 1280, height: 800 }, touch = false, clock = true } = {}) {
    const context = await browser.newContext({ viewport, hasTouch: touch, isMobile: touch, deviceScaleFactor: 1 });
    const page = await context.newPage();
    const game = new Game(context, page);
    game.touch = touch;
    const origin = new URL(server.url).origin;
    page.on('console', (m) => { if (m.type() === 'error' || m.type() === 'warning') game.problems.push(m.text()); });
    page.on('pageerror', (e) => game.problems.push(e.message));
    page.on('request', (r) => {
      const url = new URL(r.url());
      if (url.origin !== origin && url.protocol !== 'data:') game.problems.push(`request to ${r.url()}`);
    });
    if (clock) await page.clock.install();
    game.cdp = await context.newCDPSession(page);
    await page.goto(server.url);
    await game.drawn();
    return game;
  }

  constructor(context, page) {
    this.context = context;
    this.page = page;
    this.problems = [];
    this.failures = [];  // the failure reports a test expects the page to show
  }

  // When the page says its main window was drawn (ms from navigation). It is
  // asked sparingly and by the bare protocol: the automation's own in-page
  // helpers would take the page's main thread in the middle of its start-up.
  async drawn(timeoutMs = 15_000) {
    for (const end = Date.now() + timeoutMs; Date.now() < end;) {
      const { result } = await this.cdp.send('Runtime.evaluate',
        { expression: 'document.documentElement.getAttribute("data-drawn-ms")' });
      if (result.value !== null) return Number(result.value);
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
    throw new Error('the main window was never drawn with all its pictures');
  }

  // Closes the page; nothing may have gone wrong in it.
  async close() {
    assert.deepEqual(await this.page.locator('.failure[role=alert]').allTextContents(), this.failures, 'failures reported');
    await this.context.close();
    assert.deepEqual(this.problems, [], 'no console error, no request beyond the page\'s origin');
  }

  control(name, form = 'Form1') { return this.page.locator(`#${form} [data-control="${name}"]`); }
  card(i) { return this.control(`Imgx(${i})`); }
  slot(k) { return this.control(`Image1${k}`); }

  // The pictures the cards or the slots show, by name.
  async pictures(which) {
    return this.page.$$eval(`#Form1 [data-${which === 'cards' ? 'card' : 'slot'}]`,
      (all) => all.sort((a, b) => (a.dataset.card ?? a.dataset.slot) - (b.dataset.card ?? b.dataset.slot))
        .map((e) => e.dataset.picture));
  }

  // A point of an element: its centre, or (x, y) from its top left corner (unscaled pixels).
  async point(locator, at) {
    const box = await locator.boundingBox();
    const scale = box.width / (await locator.evaluate((e) => e.offsetWidth));
    return at ? { x: box.x + at.x * scale, y: box.y + at.y * scale } : { x: box.x + box.width / 2, y: box.y + box.height / 2 };
  }

  async click(locator) {
    const p = await this.point(locator);
    if (this.touch) return this.page.touchscreen.tap(p.x, p.y);
    await this.page.mouse.click(p.x, p.y);
  }
  press(button) { return this.click(this.control(button)); }

  // START, then the memorise time; returns the parts dealt face up, by card.
  async deal() {
    await this.press('Command1');
    const faceUp = await this.pictures('cards');
    assert.deepEqual([...faceUp].sort(), PARTS);
    await this.page.clock.runFor(MEMORISE_MS);
    assert.deepEqual(await this.pictures('cards'), COVERS);
    return faceUp;
  }

  // Presses on a card, moves over `target` and lets go there; `between`
  // runs while the card is held over the target (before the release).
  async drag(card, target, { at, button = 'left', between } = {}) {
    const from = await this.point(this.card(card), { x: 12, y: 30 });
    const to = await this.point(target, at);
    if (this.touch) return this.touchDrag(from, to, between);
    await this.page.mouse.move(from.x, from.y);
    await this.page.mouse.down({ button });
    await this.page.mouse.move(to.x, to.y, { steps: 4 });
    if (between) await between();
    await this.page.mouse.up({ button });
  }

  // The same with a finger, through the browser's touch input.
  async touchDrag(from, to, between) {
    const touch = (type, points) => this.cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points });
    await touch('touchStart', [from]);
    for (let i = 1; i <= 4; ++i) {
      await touch('touchMove', [{ x: from.x + ((to.x - from.x) * i) / 4, y: from.y + ((to.y - from.y) * i) / 4 }]);
    }
    // A finger rests on the slot before it lifts: a fast flick would be taken
    // for a fling, and the browser swallows the tap that stops a fling.
    await new Promise((resolve) => setTimeout(resolve, 100));
    await touch('touchMove', [to]);
    if (between) await between();
    await touch('touchEnd', []);
  }

  // Drags the card dealt each part onto the slot `slotOfPart[part]`.
  async placeAll(faceUp, slotOfPart = [0, 1, 2, 3, 4, 5]) {
    for (let part = 0; part < 6; ++part) await this.drag(faceUp.indexOf(`part${part}`), this.slot(slotOfPart[part]));
  }

  // The in-page windows open now: the congratulation window (how many, its
  // client area on the page) and the message box.
  async windows() {
    return this.page.evaluate(() => {
      const form2 = [...document.querySelectorAll('#Form2')].filter((w) => !w.hidden);
      const dialog = document.querySelector('dialog[open]');
      const rect = (e) => { const r = e.getBoundingClientRect(); return [r.x, r.y, r.width, r.height].map(Math.round); };
      return {
        form2: form2.map((w) => ({ title: w.querySelector('.titlebar > span').textContent, client: rect(w.querySelector('.client')),
          shows: w.querySelector('[data-picture]').dataset.picture })),
        message: dialog && { title: dialog.querySelector('.titlebar').textContent, prompt: dialog.querySelector('p').textContent,
          buttons: dialog.querySelectorAll('button').length, role: dialog.getAttribute('role'), icons: dialog.querySelectorAll('img').length },
      };
    });
  }

  // Answers the message box with a key ('Enter', 'Space' or 'Escape').
  async answer(key = 'Enter') {
    await this.page.keyboard.press(key);
    assert.equal((await this.windows()).message, null, `${key} closes the message box`);
  }
}
