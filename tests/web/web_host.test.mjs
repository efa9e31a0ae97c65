// The page in headless Chromium, played with the real pointer, touch and keys (the page is only read).
import assert from 'node:assert/strict';
import { readdir, stat } from 'node:fs/promises';
import { test } from 'node:test';
import { COVERS, EMPTY, PARTS, play, root } from './game.mjs';

test('the page is under 300 KB, as a phone on a slow line wants it', async () => {
  const sizes = await Promise.all((await readdir(root)).map(async (f) => (await stat(`${root}/${f}`)).size));
  assert.ok(sizes.reduce((sum, size) => sum + size) < 300_000, `${sizes} bytes`);
});

play('a whole game with the mouse; one congratulation window, reopened at its place', {}, async (game) => {
  let faceUp = await game.deal();
  // Released on the face beside the slots, a pixel above the mouth's slot, a button, another card, off the window.
  for (const [target, at] of [[game.control('Image2'), { x: 5, y: 5 }], [game.control('Image2'), { x: 120, y: 207 }],
    [game.control('Command2')], [game.control('Imgx(3)')], [game.page.locator('body'), { x: 5, y: 5 }]]) await game.drag(1, target, { at });
  assert.deepEqual(await game.seen(), { cards: COVERS, slots: EMPTY, form2: [], message: [] }, 'a release off the slots');
  await game.placeAll(faceUp);
  await game.press('Command2', 'Command2');  // the same answer twice
  const won = { cards: COVERS, slots: PARTS, form2: [[228, 129, 562, 108]], message: [] };
  assert.deepEqual(await game.seen(), won);
  faceUp = await game.deal();  // a new game leaves the window open; it is moved by its title bar, then closed
  await game.drag(game.page.locator('#Form2 .titlebar'), { x: 150, y: 200 });
  assert.deepEqual((await game.seen()).form2, [[378, 329, 562, 108]]);
  await game.control('close', 'Form2').click();
  await game.placeAll(faceUp);
  await game.press('Command2');
  assert.deepEqual(await game.seen(), won, 'reopened at its place');
});

play('wrong answers in a modal box, the mended faults, Escape during a drag, then a failure', {}, async (game) => {
  const wrong = (slots) => ({ cards: COVERS, slots, form2: [], message: [['alertdialog', true, 'まちがいです。', '残念、スタートボタンからやりなおし。', 'OK']] });
  // Before any game every slot shows the empty picture; the main window takes no input meanwhile.
  await game.press('Command2', 'Command1');
  assert.deepEqual(await game.seen(), wrong(EMPTY));
  // A voice hears the box whole: its text as it sounds, where the box shows kanji.
  const dialog = (await game.cdp.send('Accessibility.getFullAXTree')).nodes.find((n) => n.role?.value === 'alertdialog');
  assert.deepEqual([dialog?.name?.value, dialog?.description?.value], ['まちがいです。', 'ざんねん、スタートボタンから やりなおし。']);
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

play('no button is pressed while a card is held: a second finger, a screen reader\'s activation', { phone: true }, async (game) => {
  await game.deal();
  const at = async (name) => game.point(game.control(name));
  const touch = (type, ...touchPoints) => game.cdp.send('Input.dispatchTouchEvent', { type, touchPoints });
  const card = { ...(await at('Imgx(0)')), id: 1 }, start = { ...(await at('Command1')), id: 2 };
  await touch('touchStart', card);
  await touch('touchMove', { ...card, x: card.x + 10 });
  // A second finger makes it a pinch: the page takes the first finger's card away, and START is not pressed.
  await touch('touchStart', { ...card, x: card.x + 10 }, start);
  await touch('touchEnd', { ...card, x: card.x + 10 });
  await touch('touchEnd');
  assert.deepEqual([(await game.seen()).cards, await game.page.locator('.outline').isVisible()], [COVERS, false]);
  // The keys hold card 1; a screen reader activates START (a click with no pointer or key): nothing is dealt.
  await game.keys('Digit1');
  await game.control('Command1').dispatchEvent('click');
  assert.deepEqual((await game.seen()).cards, COVERS, 'no new deal');
  await game.keys('Enter');
  assert.equal((await game.seen()).slots[0], 'cover1', 'the keys still held card 1');
});

play('a whole game with the keys alone, told to a screen reader', {}, async (game) => {
  const tree = async () => (await game.cdp.send('Accessibility.getFullAXTree')).nodes;
  const described = async () => Object.fromEntries((await tree()).filter((n) => n.role?.value === 'image' && n.description)
    .map((n) => [n.name.value, n.description.value]));
  assert.deepEqual(await described(), Object.fromEntries([1, 2, 3, 4, 5, 6].map((i) => [`カード ${i}`, `カード ${i} の うら`])
    .concat(['くち', 'はな', 'みぎみみ', 'ひだりみみ', 'みぎめ', 'ひだりめ'].map((slot) => [slot, 'あき']))));
  // The buttons are named by what they show, so a voice that says it is understood; their meaning is their description.
  assert.deepEqual((await tree()).filter((n) => n.role?.value === 'button' && n.name?.value !== 'とじる')
    .map((n) => [n.name.value, n.description?.value]), [['START', 'スタート'], ['OK', 'こたえあわせ']]);
  const { cards: faceUp } = await game.keys('Space').then(() => game.seen());  // START holds the focus
  const name = (part) => ['くち', 'はな', 'みぎみみ', 'ひだりみみ', 'みぎめ（ほくろ）', 'ひだりめ'][PARTS.indexOf(part)];
  assert.equal((await described())['カード 1'], name(faceUp[0]));
  const told = () => game.page.locator('[aria-live]').textContent();
  const reading = (part) => ['くち', 'はな', 'みぎみみ', 'ひだりみみ', 'みぎめ', 'ひだりめ'][PARTS.indexOf(part)];
  assert.equal(await told(), faceUp.map((part, i) => `${i + 1} ${reading(part)}`).join(' '), 'the deal, at once');
  await game.page.clock.runFor(5000);
  assert.equal(await told(), 'カードを ふせました。すうじキーで とれます');
  // Cards by digit (main row or keypad; a second takes another), slots by arrows (the shorter way from the mouth), dropped by Return or Space.
  for (let part = 0; part < 6; ++part) {
    const card = faceUp.indexOf(`part${part}`) + 1, steps = part <= 3 ? part : part - 6;
    await game.keys(...(part ? [] : [`Digit${(card % 6) + 1}`]), `${part % 2 ? 'Numpad' : 'Digit'}${card}`);
    if (!part) assert.equal(await game.page.locator('[aria-live]').textContent(), `カード ${card}を とりました。くち あき`);
    await game.keys(...Array(Math.abs(steps)).fill(steps > 0 ? 'ArrowDown' : 'ArrowLeft'));
    if (part === 5) assert.equal(await told(), 'ひだりめ あき');
    await game.keys(part % 2 ? 'Space' : 'Enter');
    if (part === 5) assert.equal(await told(), `カード ${card}を ひだりめに おきました`);
  }
  await game.keys('Digit1', 'Escape');
  assert.equal(await told(), 'カード 1を もどしました');
  assert.deepEqual(await game.seen(), { cards: COVERS, slots: PARTS.map((part) => COVERS[faceUp.indexOf(part)]), form2: [], message: [] },
    'no button pressed');
  assert.equal((await described())['みぎめ'], `カード ${faceUp.indexOf('part4') + 1} の うら`);
  await game.keys('Tab', 'Enter');  // O K
  assert.equal((await tree()).filter((n) => n.role?.value === 'dialog' && n.name?.value === 'おめでとう !!').length, 1);
});

play('longer to memorise when the address asks for it, never shorter', { query: '/?memorise=8' }, async (game) => {
  const notice = game.page.getByRole('status');
  assert.equal(await notice.count(), 0, 'a value taken says nothing');
  await game.standStill();
  await game.press('Command1');
  await game.page.clock.runFor(7900);
  assert.notDeepEqual((await game.seen()).cards, COVERS, 'still face up just before eight seconds');
  await game.page.clock.runFor(200);
  assert.deepEqual((await game.seen()).cards, COVERS);
  // A value not taken is told, seen and heard, in the command line's words; the game keeps its five seconds.
  for (const query of ['?memorise=2', '?memorise=', '?memorise=twenty']) {
    await game.page.clock.resume();  // the page starts in the frames it paints
    await game.page.goto(`http://poromea.test/${query}`);
    await game.ready();
    await notice.waitFor();
    assert.equal(await notice.textContent(), '--memorise には 5 から 600 までの秒数を指定してください。', query);
    assert.ok(await notice.isVisible(), query);
    await game.standStill();
    await game.press('Command1');
    await game.page.clock.runFor(4900);
    assert.notDeepEqual((await game.seen()).cards, COVERS, `${query}: not taken, five it is`);
    await game.page.clock.runFor(200);
    assert.deepEqual((await game.seen()).cards, COVERS, query);
  }
});
