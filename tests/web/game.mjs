// The page in headless Chromium (`firefox`: in Firefox ESR, through firefox.mjs) as the tests open
// it: served by the browser context itself or, given `server`, by server.mjs; on a fake clock; every console
// error, page error and request beyond the page's origin a problem. `init` runs before the page's scripts,
// `routes` adds routes taken before the page's, `started: false` does not wait for the game, a `profile` folder
// is a player's browser of its own, `screen` a phone's viewport and density, whose pictures `density` awaits.
import assert from 'node:assert/strict';
import { after, test } from 'node:test';
import { chromium } from 'playwright-core';

export const root = process.env.POROMEA_WEB ?? new URL('../../build-web', import.meta.url).pathname;
const origin = 'http://poromea.test';
export const PARTS = [0, 1, 2, 3, 4, 5].map((k) => `part${k}`), COVERS = PARTS.map((_, k) => `cover${k + 1}`);

// What `check` finds once it finds anything, asked every 100 ms for 15 s from here (the page's own timers may
// run on a fake clock), or a failure naming `what`.
export async function until(what, check) {
  for (let i = 0; i < 150; ++i, await new Promise((resolve) => setTimeout(resolve, 100))) {
    const value = await check().catch(() => undefined);
    if (value) return value;
  }
  throw new Error(`never: ${what}`);
}

let browser;  // Chromium, once a test asks for it
const launch = { executablePath: '/usr/bin/chromium', args: ['--disable-gpu'] };
after(() => browser?.then((b) => b.close()));

export const play = (name, options, body) => test(name, { timeout: options.timeout ?? 120_000 }, async (t) => body(await Game.open(options, t)));

// Whatever the page's content security policy refuses, reported as a console error, in every browser: Firefox
// tells its own refusals to no console a test reads.
const reportViolations = () => document.addEventListener('securitypolicyviolation',
  (e) => console.error(`refused by the content security policy: ${e.violatedDirective} ${e.blockedURI}`));

export class Game {
  static async open({ firefox, phone = false, query = '', server, init, routes, profile, started = true, screen, density } = {}, t) {
    const game = Object.assign(new Game(), { firefox, phone, density, origin: server?.origin ?? origin, problems: [], failures: [] });
    if (firefox) {
      Object.assign(game, await (await import('./firefox.mjs')).openFirefox(root, reportViolations));
    } else {
      const device = { viewport: { width: phone ? 390 : 1280, height: phone ? 844 : 800 }, hasTouch: phone, isMobile: phone, ...screen };
      const context = game.context = await (profile ? chromium.launchPersistentContext(profile, { ...launch, ...device }) : (await (browser ??= chromium.launch(launch))).newContext(device));
      await context.addInitScript(reportViolations);
      if (init) await context.addInitScript(init);
      if (!server) await context.route(`${origin}/**`, (route) => route.fulfill({ path: root + new URL(route.request().url()).pathname.replace(/\/$/, '/index.html') }));
      await routes?.(context);
      game.page = await context.newPage();
      await game.page.clock.install();
      game.cdp = await context.newCDPSession(game.page);
    }
    // Firefox's console calls a warning "warn".
    game.page.on('console', (m) => ['error', 'warning', 'warn'].includes(m.type()) && game.problems.push(m.text()));
    game.page.on('pageerror', (e) => game.problems.push(e.message));
    game.page.on('request', (r) => [game.origin, 'null'].includes(new URL(r.url()).origin) || game.problems.push(r.url()));
    t?.after(() => game.close());
    await game.page.goto((server?.url ?? game.origin) + query);
    if (started) await game.ready();
    return game;
  }

  // The game has started: it takes the player's input.
  ready() { return this.firefox ? this.page.ready() : this.page.waitForSelector('html[data-ready-ms]', { state: 'attached' }); }

  // Only the failure reports the test expects, no console error, no request beyond the page's origin.
  async close() {
    const failures = await this.page.locator('.failure[role=alert]').allTextContents();
    await this.context.close();
    assert.deepEqual({ failures, problems: this.problems }, { failures: this.failures, problems: [] });
  }

  // From now on the page's clock stands still between the steps, however slow the machine: only runFor moves it,
  // from a little ahead (no game timer runs before START). Firefox's clock stands already.
  async standStill() {
    if (this.page.clock.pauseAt) await this.page.clock.pauseAt(await this.page.evaluate(() => Date.now()) + 10_000);
  }

  control(name, form = 'Form1') { return this.page.locator(`#${form} [data-control="${name}"]`); }

  async point(locator) { const b = await locator.boundingBox(); return { x: b.x + b.width / 2, y: b.y + b.height / 2 }; }

  touch(type, ...touchPoints) { return this.cdp.send('Input.dispatchTouchEvent', { type, touchPoints }); }

  async keys(...names) { for (const name of names) await this.page.keyboard.press(name); }
  // Forced: a click that a modal box takes is a player's click too.
  async press(...buttons) { for (const button of buttons) await this.control(button)[this.phone ? 'tap' : 'click']({ force: true }); }

  // START, then the memorise time (the address's, not over a second early); returns the parts dealt face up, by card.
  async deal(ms = 5000) {
    const { cards: faceUp } = await this.press('Command1').then(() => this.seen());
    await this.page.clock.runFor(ms - 1000);
    assert.deepEqual((await this.seen()).cards, faceUp, 'still face up');
    await this.page.clock.runFor(1000);
    assert.deepEqual([[...faceUp].sort(), (await this.seen()).cards], [PARTS, COVERS]);
    return faceUp;
  }

  // Holds card `card`, lets go over `target`; `between` is done just before.
  async drag(card, target, { between } = {}) {
    const from = await this.point(this.control(`Imgx(${card})`)), to = await this.point(target), { mouse } = this.page;
    const move = (p) => (this.phone ? this.touch('touchMove', p) : mouse.move(p.x, p.y));
    await (this.phone ? this.touch('touchStart', from) : mouse.move(from.x, from.y).then(() => mouse.down()));
    for (let i = 1; i <= 4; ++i) await move({ x: from.x + ((to.x - from.x) * i) / 4, y: from.y + ((to.y - from.y) * i) / 4 });
    // A finger rests before it lifts: the browser takes a flick for a fling and swallows the tap that stops it.
    if (this.phone) await this.page.waitForTimeout(100).then(() => move(to));
    await between?.();
    await (this.phone ? this.touch('touchEnd') : mouse.up());
  }

  async placeAll(faceUp) { for (let part = 0; part < 6; ++part) await this.drag(faceUp.indexOf(`part${part}`), this.control(`Image1${part}`)); }

  // What the player sees: cards, slots, congratulation windows' client areas, message boxes' words.
  seen() {
    return this.page.evaluate(() => {
      const all = (selector, within = document) => [...within.querySelectorAll(selector)];
      const pictures = (which) => all(`#Form1 [data-${which}]`).sort((a, b) => a.dataset[which] - b.dataset[which]).map((e) => e.dataset.picture);
      return { cards: pictures('card'), slots: pictures('slot'),
        form2: all('#Form2:not([hidden]) .client').map((e) => e.getBoundingClientRect()).map((r) => [r.x, r.y, r.width, r.height].map(Math.round)),
        message: all('dialog[open]').map((d) => d.textContent) };
    });
  }
}

