// The page in Firefox ESR for Game (game.mjs), driven over WebDriver BiDi by puppeteer-core with the mouse and
// keys: served by server.mjs (Firefox has no route of the tests' own). It gives Game and the scenarios' Steps
// the few parts of a Playwright page they use.
import puppeteer from 'puppeteer-core';
import { serve } from './server.mjs';

// Firefox has no fake clock of its own. This one, set in the page before its scripts, stands still (the time the
// page reads and its timers) until the test lets time pass, then fires every timer due meanwhile in order: the
// memorising time is measured as the page's timer counts it. On the wall clock it would be flaky: Firefox fires
// a page's timer up to half a second late while the driver keeps asking it things.
function standingClock() {
  const timers = new Map(), real = performance.now(), epoch = Date.now();
  let now = 0, ids = 0;
  const schedule = (every) => (callback, ms, ...args) => {
    const delay = Math.max(0, Number(ms) || 0);
    timers.set(++ids, { callback, args, at: now + delay, every: every && Math.max(1, delay) });
    return ids;
  };
  const cancel = (id) => void timers.delete(id);
  Object.assign(window, { setTimeout: schedule(false), setInterval: schedule(true), clearTimeout: cancel, clearInterval: cancel });
  performance.now = () => real + now;
  Date.now = () => epoch + now;
  Object.defineProperty(window, 'poromeaTestClock', { value: (ms) => {
    for (const end = now + ms; ; ) {
      let next;
      for (const entry of timers) if (entry[1].at <= end && !(next?.[1].at <= entry[1].at)) next = entry;
      if (!next) { now = end; return; }
      const [id, timer] = next;
      now = timer.at;
      if (timer.every) timer.at += timer.every; else timers.delete(id);
      // A timer that throws is reported as the browser reports it, and the others still run.
      try { timer.callback(...timer.args); } catch (e) { reportError(e); }
    }
  } });
}

// The keys whose names puppeteer lacks or reads otherwise: its Enter is the keypad's.
const KEYS = { Space: ' ', Enter: '\uE006', NumpadEnter: '\uE007' };

export async function openFirefox(root, init) {
  const server = await serve(root), { origin } = server;
  const browser = await puppeteer.launch({ browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true });
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 800 });
  await page.evaluateOnNewDocument(standingClock);
  await page.evaluateOnNewDocument(init);
  // What Game and Steps read of an element: the first the selector finds, or all of them.
  const locator = (selector) => {
    const box = () => page.$eval(selector, (e) => e.getBoundingClientRect().toJSON());
    return { boundingBox: box,
      // Where the player clicks, whatever is on top there (so always as Playwright's forced click).
      click: () => box().then((b) => page.mouse.click(b.x + b.width / 2, b.y + b.height / 2)),
      // The event alone, as Playwright sends it, with no pointer.
      dispatchEvent: (type) => page.$eval(selector, (e, t) => e.dispatchEvent(new MouseEvent(t, { bubbles: true, cancelable: true, composed: true })), type),
      textContent: () => page.$eval(selector, (e) => e.textContent),
      allTextContents: () => page.$$eval(selector, (all) => all.map((e) => e.textContent)) };
  };
  return {
    origin,
    context: { close: async () => { await browser.close(); await server.close(); } },
    page: { mouse: page.mouse, locator, goto: (url) => page.goto(url), on: (event, listener) => page.on(event, listener),
      keyboard: { press: async (combination) => {  // "Control+Digit2": the modifiers held around the key
        const [key, ...held] = combination.split('+').map((k) => KEYS[k] ?? k).reverse();
        for (const k of held) await page.keyboard.down(k);
        await page.keyboard.press(key);
        for (const k of held) await page.keyboard.up(k);
      } },
      evaluate: (f, arg) => page.evaluate(f, arg), screenshot: (options) => page.screenshot(options),
      clock: { runFor: (ms) => page.evaluate((t) => window.poromeaTestClock(t), ms) },
      ready: () => page.waitForFunction(() => document.documentElement.dataset.readyMs !== undefined) },
  };
}
