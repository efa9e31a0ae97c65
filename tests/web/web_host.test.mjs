// The page in headless Chromium, played with the real mouse, touch and keys; what it costs.
import assert from 'node:assert/strict';
import { readdir, stat } from 'node:fs/promises';
import { COVERS, EMPTY, Game, PARTS, play, root } from './driver.mjs';

const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];
// What the slots show once every card is on its part's slot: the covers.
const coversInPlace = (faceUp) => PARTS.map((part) => COVERS[faceUp.indexOf(part)]);

// Printed for the README's performance section; only the size has a bound (start-up misses
// its 100 ms target on a first visit). Handlers run many times, as a player repeats them: the
// median is their cost once the browser has compiled them.
play('the page\'s size, start-up and handler times', { clock: false }, async (game, t) => {
  const sizes = await Promise.all((await readdir(root)).map(async (f) => [f, (await stat(`${root}/${f}`)).size]));
  const total = sizes.reduce((sum, [, size]) => sum + size, 0);
  t.diagnostic(`${total} bytes: ${sizes.map(([file, size]) => `${file} ${size}`).join(', ')}`);
  assert.ok(total < 300_000, `${total} bytes`);
  const drawn = { first: [], repeat: [] };  // from navigation to the main window drawn: nothing cached, then caches warm
  for (let i = 0; i < 7; ++i) {
    const visit = await Game.open({ clock: false });
    drawn.first.push(await visit.drawn());
    await visit.page.reload();
    drawn.repeat.push(await visit.drawn());
    await visit.close();
  }
  for (const [visit, ms] of Object.entries(drawn)) t.diagnostic(`start-up, ${visit} visit: median ${Math.round(median(ms))} ms of ${ms.map(Math.round)}`);
  for (let i = 0; i < 40; ++i) await game.press('Command1');
  const { cards: faceUp } = await game.seen();
  await game.page.waitForTimeout(5300);  // the real memorise time
  assert.deepEqual((await game.seen()).cards, COVERS);
  for (let i = 0; i < 5; ++i) await game.placeAll(faceUp);
  for (let i = 0; i < 40; ++i) await game.press('Command2');
  const { START, ドロップ: drop, 'O  K': [first, ...ok] } = await game.page.evaluate(() => Module.handlerTimes());
  const µs = (ms) => `${Math.round(ms * 1000)} µs`;
  t.diagnostic(`handler medians: START ${µs(median(START))}, drop ${µs(median(drop))}, O  K ${µs(median(ok))} (first ${µs(first)})`);
});

play('a whole game with the mouse; one congratulation window, reopened at its place', {}, async (game) => {
  let faceUp = await game.deal();
  // Released on the face beside the slots, a pixel above the mouth's slot, a button, another card, off the window.
  for (const [target, at] of [[game.control('Image2'), { x: 5, y: 5 }], [game.control('Image2'), { x: 120, y: 207 }],
    [game.control('Command2')], [game.control('Imgx(3)')], [game.page.locator('body'), { x: 5, y: 5 }]]) await game.drag(1, target, { at });
  assert.deepEqual(await game.seen(), { cards: COVERS, slots: EMPTY, form2: [], message: [] }, 'a release off the slots');
  await game.placeAll(faceUp);
  await game.press('Command2');
  await game.press('Command2');  // the same answer again
  const won = { cards: COVERS, slots: PARTS, form2: [[228, 129, 562, 108]], message: [] };
  assert.deepEqual(await game.seen(), won);
  faceUp = await game.deal();  // a new game leaves the window open; it is moved by its title bar, then closed
  const title = await game.point(game.page.locator('#Form2 .titlebar'));
  await game.drag(game.page.locator('#Form2 .titlebar'), game.page.locator('body'), { at: { x: title.x + 150, y: title.y + 200 } });
  assert.deepEqual((await game.seen()).form2, [[378, 329, 562, 108]]);
  await game.press('close', 'Form2');
  await game.placeAll(faceUp);
  await game.press('Command2');
  assert.deepEqual(await game.seen(), won, 'reopened at its place');
});

play('wrong answers in a modal box, the mended faults, Escape during a drag, then a failure', {}, async (game) => {
  const wrong = (slots, cards = COVERS) => ({ cards, slots, form2: [],  // modal, its title, prompt, one OK, no icon
    message: [['alertdialog', true, 'まちがいです。', '残念、スタートボタンからやりなおし。', 'OK']] });
  await game.press('Command2');  // before any game: every slot shows the empty picture
  await game.press('Command1');  // the main window takes no input meanwhile
  assert.deepEqual(await game.seen(), wrong(EMPTY));
  await game.keys('Escape');
  await game.placeAll(await game.deal(), [0, 1, 3, 2, 4, 5]);  // the ears swapped
  await game.press('Command2');
  assert.deepEqual(await game.seen(), wrong(['part0', 'part1', 'part3', 'part2', 'part4', 'part5']));
  await game.keys('Enter');
  await game.press('Command1');  // after O K, no drag before the covers
  await game.drag(0, game.control('Image10'));
  assert.deepEqual((await game.seen()).slots, EMPTY);
  await game.page.clock.runFor(5000);
  await game.drag(0, game.control('Image10'), { between: () => game.keys('Escape') });
  assert.deepEqual([(await game.seen()).slots, await game.page.locator('.outline').isVisible()], [EMPTY, false], 'put back');
  await game.drag(0, game.control('Image10'));
  // A host operation fails mid-handler: the page refuses the card the pointer. It is reported; no more input is taken.
  await game.page.evaluate(() => { Element.prototype.setPointerCapture = () => { throw new Error('ポインターを捕まえられません'); }; });
  await game.drag(1, game.control('Image11'));
  game.failures = ['「マウス」の処理でエラーが発生しました。\nポインターを捕まえられません\nゲームを終了します。'];
  await game.keys('Space', 'Tab', 'Enter', 'Digit2', 'Enter');
  await game.drag(2, game.control('Image12'));
  assert.deepEqual(await game.seen(), { ...wrong(['cover1', ...EMPTY.slice(1)]), message: [] });
});

play('a whole game by touch on a phone, the game scaled to fit', { phone: true }, async (game) => {
  const box = await game.page.locator('#Form1').boundingBox();
  assert.ok(Math.abs(box.width - 390) < 0.5 && box.x >= 0 && box.y >= 0 && box.y + box.height <= 844, JSON.stringify(box));
  await game.placeAll(await game.deal());
  await game.press('Command2');
  const { slots, form2: [[x, , width] = []] } = await game.seen();
  assert.deepEqual(slots, PARTS);
  assert.ok(width < 340 && x + width <= 390, `the congratulation window scaled too: ${x}, ${width}`);
});

play('a whole game with the keys alone, told to a screen reader', {}, async (game) => {
  const tree = async () => (await game.cdp.send('Accessibility.getFullAXTree')).nodes;
  const described = async () => Object.fromEntries((await tree()).filter((n) => n.role?.value === 'image' && n.description)
    .map((n) => [n.name.value, n.description.value]));
  assert.deepEqual(await described(), Object.fromEntries([1, 2, 3, 4, 5, 6].map((i) => [`カード ${i}`, `カード ${i} の裏`])
    .concat(['口', '鼻', '右耳', '左耳', '右目', '左目'].map((part) => [`${part}の場所`, '空き']))));
  await game.keys('Space');  // START holds the focus
  const { cards: faceUp } = await game.seen();
  assert.equal((await described())['カード 1'], ['口', '鼻', '右耳', '左耳', '右目（ほくろ）', '左目'][PARTS.indexOf(faceUp[0])]);
  await game.page.clock.runFor(5000);
  // A card by its digit (main row and keypad), a slot by the arrows (the mouth first, the shorter way round),
  // dropped by Return or Space; a second digit takes up another card instead.
  for (let part = 0; part < 6; ++part) {
    const card = faceUp.indexOf(`part${part}`) + 1, steps = part <= 3 ? part : part - 6;
    await game.keys(...(part ? [] : [`Digit${(card % 6) + 1}`]), `${part % 2 ? 'Numpad' : 'Digit'}${card}`);
    if (!part) assert.equal(await game.page.locator('[aria-live]').textContent(), '口の場所、空き');
    await game.keys(...Array(Math.abs(steps)).fill(steps > 0 ? 'ArrowDown' : 'ArrowLeft'), part % 2 ? 'Space' : 'Enter');
  }
  assert.deepEqual(await game.seen(), { cards: COVERS, slots: coversInPlace(faceUp), form2: [], message: [] }, 'no button pressed');
  assert.equal((await described())['右目の場所'], `カード ${faceUp.indexOf('part4') + 1} の裏`);
  await game.keys('Tab', 'Enter');  // O K
  assert.equal((await tree()).filter((n) => n.role?.value === 'dialog' && n.name?.value === 'おめでとう !!').length, 1);
});
