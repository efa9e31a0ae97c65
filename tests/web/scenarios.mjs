// The host scenarios the desktop hosts play, by name, on the page: the scenario player (web_scenarios, built with the
// game's tests) asks for each step, and this driver carries it out in Chromium (scenarios.test.mjs) or in Firefox ESR
// through firefox.mjs (firefox.test.mjs) with the real mouse and keys, reading back what the page shows.
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { createInterface } from 'node:readline';
import pngjs from 'pngjs';
import { play } from './game.mjs';

const { PNG } = pngjs;

const player = process.env.POROMEA_SCENARIOS ?? new URL('../../build/tests/web/web_scenarios', import.meta.url).pathname;
export const scenarios = execFileSync(player, ['--list']).toString().trim().split('\n').map((line) => line.split('\t'));

// The driver's side of one scenario.
class Steps {
  constructor(game, memoriseMs) { Object.assign(this, { game, page: game.page, memoriseMs, boxes: [], button: 'left' }); }

  form1() { return this.page.locator('#Form1').boundingBox(); }
  async at(x, y) { const f = await this.form1(); return { x: f.x + x, y: f.y + y }; }

  // A modal box that opened is read and answered with its own button, as a player would.
  async answerBoxes() {
    while (!this.holdBoxes) {
      const box = await this.page.evaluate(() => {
        const d = document.querySelector('dialog[open]');
        return d && [d.querySelector('.titlebar')?.textContent ?? '', d.querySelector('p')?.textContent ?? '',
          d.querySelectorAll('button').length, d.querySelectorAll('img, [role=img]').length ? 'icon' : ''].join('\t');
      });
      if (!box) return;
      this.boxes.push(box);
      await this.page.locator('dialog[open] button').click();
    }
  }

  async run(line) {
    const [command, ...args] = line.split('\t');
    const { page } = this, { mouse } = page;
    const query = (f, ...a) => page.evaluate(f, a);
    switch (command) {
      case 'click': await this.game.control(args[0]).click({ force: true }); break;
      case 'press': {
        const card = await this.game.control(`Imgx(${args[0]})`).boundingBox();
        this.button = args[1];  // left, right, middle or back
        if (this.button === 'back') {  // pressed and let go there (the release step only moves), as Playwright cannot
          await query(() => history.pushState(null, ''));  // the browser's Back goes back: here, within the page
          const at = { x: card.x + 12, y: card.y + 30, button: 'back', clickCount: 1 }, { cdp } = this.game;
          if (cdp) for (const type of ['mousePressed', 'mouseReleased']) await cdp.send('Input.dispatchMouseEvent', { type, ...at });
          else await mouse.click(at.x, at.y, { button: 'back' });
          break;
        }
        await mouse.move(card.x + 12, card.y + 30);
        await mouse.down({ button: this.button });
        break;
      }
      case 'release': {
        const to = await this.at(Number(args[0]), Number(args[1]));
        await mouse.move(to.x, to.y, { steps: 4 });
        if (this.button !== 'back') await mouse.up({ button: this.button });
        break;
      }
      case 'key': {  // Playwright's keypad is NumLock's off: a digit of it is sent as NumLock on makes it
        const digit = /^Numpad([1-6])$/.exec(args[0])?.[1], { cdp } = this.game, key = { key: digit, code: args[0], text: digit, location: 3 };
        await (digit && cdp ? cdp.send('Input.dispatchKeyEvent', { type: 'keyDown', ...key }).then(() => cdp.send('Input.dispatchKeyEvent', { type: 'keyUp', ...key }))
          : page.keyboard.press(args[0]));
        break;
      }
      // Playwright's keypad is NumLock's off; WebDriver's keys of the keypad without NumLock are its own.
      case 'keypad': await page.keyboard.press(this.game.cdp ? `Numpad${args[0]}` : { 1: '\uE056', 6: '\uE05A' }[args[0]]); break;
      case 'ctrlkey': await page.keyboard.press(`Control+Digit${args[0]}`); break;
      case 'holdboxes': this.holdBoxes = true; break;
      case 'answerboxes': this.holdBoxes = false; break;
      case 'clickwindow': {
        // Inside its client area where the other window, at its place, does not hide it: the main window's bottom right
        // corner, the congratulation window's top left. Under a modal box, the box's backdrop takes the click.
        const main = args[0] === await query(() => document.querySelector('#Form1').getAttribute('aria-label'));
        const box = await page.locator(main ? '#Form1' : '#Form2:not([hidden]) .client').boundingBox();
        await mouse.click(main ? box.x + box.width - 3 : box.x + 2, main ? box.y + box.height - 3 : box.y + 2);
        break;
      }
      case 'raise': {  // a finger on it, at its right, the mouse held or not
        const c = await page.locator('#Form2 .client').boundingBox();
        await this.game.touch('touchStart', { x: c.x + c.width - 10, y: c.y + c.height / 2, id: 7 });
        await this.game.touch('touchEnd');
        break;
      }
      case 'timer': await page.clock.runFor(this.memoriseMs); break;
      case 'wait': await page.clock.runFor(Number(args[0])); break;
      case 'now': return String(await query(() => performance.now()));
      case 'pictures': return query(() => ['card', 'slot'].flatMap((which) => [...document.querySelectorAll(`#Form1 [data-${which}]`)]
        .sort((a, b) => a.dataset[which] - b.dataset[which]).map((e) => e.dataset.picture)).join('|'));
      case 'outline': return query(() => {
        const o = document.querySelector('#Form1 .outline');
        return getComputedStyle(o).display === 'none' ? 'none' : [o.offsetLeft, o.offsetTop, o.offsetWidth, o.offsetHeight].join(' ');
      });
      case 'windows': return query(() => {
        const rect = (e) => { const r = e.getBoundingClientRect(); return [r.x, r.y, r.width, r.height].map(Math.round).join(' '); };
        const form2 = document.querySelector('#Form2:not([hidden])');
        return [`${document.querySelector('#Form1').getAttribute('aria-label')}\t${rect(document.querySelector('#Form1'))}`,
          ...(form2 ? [`${form2.querySelector('#Form2-title').textContent}\t${rect(form2.querySelector('.client'))}`] : [])].join('|');
      });
      case 'boxes': return this.boxes.splice(0).join('|');
      case 'focus': return query(() => {
        const f = document.activeElement, form2 = f?.closest('#Form2'), form1 = f?.closest('#Form1');
        const window = form1 ? form1.getAttribute('aria-label') : form2 ? form2.querySelector('#Form2-title').textContent : '';
        return window ? `${window}\t${f.dataset.control ?? ''}` : '\t';
      });
      case 'caption': return this.game.control(args[0]).textContent();
      case 'seen': {
        // What the browser painted there, from a screenshot of that part of the page (of the desk as scaled
        // to fit), once the pictures for a dense screen have been laid over its own, or without them after 10 s.
        const dense = `#desk[data-density="${this.game.density}"]`;
        if (this.game.density) await page.waitForSelector(dense, { state: 'attached', timeout: 10_000 }).catch(() => {});
        const [x, y, width, height] = args.map(Number), f = await this.form1(), k = f.width / await query(() => document.getElementById('Form1').offsetWidth);
        const clip = { x: f.x + x * k, y: f.y + y * k, width: width * k, height: height * k };
        const { width: w, height: h, data } = PNG.sync.read(await page.screenshot({ clip }));  // RGBA, row by row
        return `${w} ${h} ${data.filter((_, i) => i % 4 !== 3).join(' ')}`;
      }
      case 'move': {  // the congratulation window (the main window fills the page), by its title bar
        const client = await page.locator('#Form2 .client').boundingBox(), bar = await page.locator('#Form2 .titlebar').boundingBox();
        const from = { x: bar.x + bar.width / 3, y: bar.y + bar.height / 2 };
        await mouse.move(from.x, from.y);
        await mouse.down();
        await mouse.move(from.x + Number(args[1]) - client.x, from.y + Number(args[2]) - client.y, { steps: 4 });
        await mouse.up();
        break;
      }
      // The congratulation window (the main window is the page's), as a desktop's window manager closes it, in front or not.
      case 'close': await this.game.control('close', 'Form2').dispatchEvent('click'); break;
      case 'failures': return (await page.locator('.failure[role=alert]').allTextContents()).join('|');
      case 'end': return 'ok';
      default: throw new Error(`no such step: ${line}`);
    }
    await this.answerBoxes();
    return 'ok';
  }
}

// The scenario named `wanted`; its game keeps the cards face up as long as the scenario asks.
export const playScenario = (wanted, title = `scenario ${wanted}`, options = {}) => {
  const [name, missing, memoriseMs] = scenarios.find(([n]) => n === wanted);
  return play(title, { timeout: 600_000, query: `?memorise=${memoriseMs / 1000}`, ...options }, async (game) => {
    // What the scenario measures is then the game's time, not the steps'.
    await game.standStill();
    if (missing) {
      // The page cannot show that picture: the window that holds it fails to be built.
      await game.page.evaluate((picture) => {
        const { set } = Object.getOwnPropertyDescriptor(Element.prototype, 'innerHTML');
        Object.defineProperty(Element.prototype, 'innerHTML', { set(html) {
          if (html.includes(`data-picture="${picture}"`)) throw new Error(`画像「${picture}」を表示できません`);
          set.call(this, html);
        } });
      }, missing);
    }
    const child = spawn(player, [name], { stdio: ['ignore', 'inherit', 'pipe', 'pipe', 'pipe'] });
    let errors = '';
    child.stderr.on('data', (d) => { errors += d; });
    const exited = new Promise((resolve) => child.on('exit', resolve));
    const steps = new Steps(game, Number(memoriseMs));
    try {
      for await (const line of createInterface({ input: child.stdio[3] })) {
        const answer = String(await steps.run(line) ?? '');
        child.stdio[4].write(`${answer.replace(/\n/g, '\x1e')}\n`);
        if (line === 'end') break;
      }
    } catch (e) {
      child.kill();  // a step the page could not carry out ends the player too
      throw e;
    }
    assert.equal(await exited, 0, errors);
    game.failures = await game.page.locator('.failure[role=alert]').allTextContents();  // the scenario judged them
  });
};
