// The page in Firefox ESR for Game (game.mjs), driven over WebDriver BiDi by
// puppeteer-core: served by server.mjs (Firefox has no route of the tests'
// own), on the real clock (there is no fake one: time is waited out), with
// the same problems counted. It gives Game the few parts of a page it uses.
import puppeteer from 'puppeteer-core';
import { serve } from './server.mjs';

const later = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

export async function openFirefox({ phone, server }, root, problems) {
  if (phone) throw new Error('Firefox is driven here with the mouse only');
  const own = server ? null : await serve(root);
  const origin = (server ?? own).origin;
  const browser = await puppeteer.launch({ browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true });
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 800 });
  page.on('console', (m) => ['error', 'warn'].includes(m.type()) && problems.push(m.text()));
  page.on('pageerror', (e) => problems.push(e.message));
  page.on('request', (r) => [origin, 'null'].includes(new URL(r.url()).origin) || problems.push(r.url()));
  const element = async (selector) => (await page.$(selector)) ?? Promise.reject(new Error(`no ${selector}`));
  const locator = (selector) => ({
    boundingBox: async () => (await element(selector)).boundingBox(),
    // Where the player clicks, whatever is on top there.
    click: async () => { const b = await (await element(selector)).boundingBox(); await page.mouse.click(b.x + b.width / 2, b.y + b.height / 2); },
    isVisible: () => page.$eval(selector, (e) => e.checkVisibility()),
    textContent: () => page.$eval(selector, (e) => e.textContent),
    allTextContents: () => page.$$eval(selector, (all) => all.map((e) => e.textContent)),
  });
  return {
    origin,
    context: { close: async () => { await browser.close(); await own?.close(); } },
    page: { mouse: page.mouse, keyboard: page.keyboard, locator, goto: (url) => page.goto(url), waitForTimeout: later,
      evaluate: (f, arg) => page.evaluate(f, arg),
      // Waited out, and a little more for the page's own timer to fire.
      clock: { runFor: (ms) => later(ms + 1000) },
      // Firefox reports no Element Timing: the module has started once START has the keys.
      drawn: () => page.waitForFunction(() => document.activeElement?.dataset.control === 'Command1') },
  };
}
