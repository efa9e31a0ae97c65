// The page in headless Chromium, played with the real pointer, touch and keys (the page is only read).
import assert from 'node:assert/strict';
import { readdir, stat } from 'node:fs/promises';
import { test } from 'node:test';
import { COVERS, EMPTY, PARTS, play, root } from './game.mjs';

test('the page is under 300 KB, as a phone on a slow line wants it', async () => {
  const sizes = await Promise.all((await readdir(root)).map(async (f) => (await stat(`${root}/${f}`)).size));
  assert.ok(sizes.reduce((sum, size) => sum + size) < 300_000, `${sizes} bytes`);
});

// The box as Chromium's accessibility tree gives it to a voice, modal to the whole game; then a failure of the
// page's own (a host operation refused mid-handler), reported, after which no input is taken.
play('the message box heard whole and modal, then a failure of the page', {}, async (game) => {
  await game.press('Command2', 'Command1');
  const dialog = (await game.cdp.send('Accessibility.getFullAXTree')).nodes.find((n) => n.role?.value === 'alertdialog');
  assert.deepEqual([dialog?.name?.value, dialog?.description?.value], ['まちがいです。', 'ざんねん、スタートボタンから やりなおし。']);
  assert.deepEqual((await game.seen()).cards, COVERS, 'START is not pressed under the box');
  await game.keys('Escape');
  await game.deal();
  await game.page.evaluate(() => { Element.prototype.setPointerCapture = () => { throw new Error('ポインターを捕まえられません'); }; });
  await game.drag(1, game.control('Image11'));
  game.failures = ['「マウス」の処理でエラーが発生しました。\nポインターを捕まえられません\nゲームを終了します。'];
  await game.keys('Space', 'Tab', 'Enter', 'Digit2', 'Enter');
  assert.deepEqual(await game.seen(), { cards: COVERS, slots: EMPTY, form2: [], message: [] });
});

// Touch: a whole game, scaled to fit; a second finger makes a pinch, which takes the card away and presses nothing;
// a screen reader's activation (a click with no pointer or key) presses no button while the keys hold a card.
play('a whole game by touch on a phone, the game scaled to fit', { phone: true }, async (game) => {
  const box = await game.page.locator('#Form1').boundingBox();
  assert.ok(Math.abs(box.width - 390) < 0.5 && box.x >= 0 && box.y >= 0 && box.y + box.height <= 844, JSON.stringify(box));
  const faceUp = await game.deal();
  const at = async (name) => game.point(game.control(name));
  const touch = (type, ...touchPoints) => game.cdp.send('Input.dispatchTouchEvent', { type, touchPoints });
  const card = { ...(await at('Imgx(0)')), id: 1 }, start = { ...(await at('Command1')), id: 2 };
  await touch('touchStart', card);
  await touch('touchMove', { ...card, x: card.x + 10 });
  await touch('touchStart', { ...card, x: card.x + 10 }, start);
  await touch('touchEnd', { ...card, x: card.x + 10 });
  await touch('touchEnd');
  assert.deepEqual([(await game.seen()).cards, await game.page.locator('.outline').isVisible()], [COVERS, false]);
  await game.keys('Digit1');
  await game.control('Command1').dispatchEvent('click');
  assert.deepEqual((await game.seen()).cards, COVERS, 'no new deal');
  await game.keys('Escape');
  await game.placeAll(faceUp);
  await game.press('Command2');
  const { slots, form2: [[x, , width] = []] } = await game.seen();
  assert.deepEqual(slots, PARTS);
  assert.ok(width < 340 && x + width <= 390, `the congratulation window scaled too: ${x}, ${width}`);
});

// What Chromium's accessibility tree gives a voice: every card and place named and described by what it shows,
// the buttons by what they show and do, each step in the live region, and the window that opens.
play('the keys alone, told to a screen reader through the accessibility tree', {}, async (game) => {
  const tree = async () => (await game.cdp.send('Accessibility.getFullAXTree')).nodes;
  const described = async () => Object.fromEntries((await tree()).filter((n) => n.role?.value === 'image' && n.description)
    .map((n) => [n.name.value, n.description.value]));
  assert.deepEqual(await described(), Object.fromEntries([1, 2, 3, 4, 5, 6].map((i) => [`カード ${i}`, `カード ${i} の うら`])
    .concat(['くち', 'はな', 'みぎみみ', 'ひだりみみ', 'みぎめ', 'ひだりめ'].map((slot) => [slot, 'あき']))));
  assert.deepEqual((await tree()).filter((n) => n.role?.value === 'button' && n.name?.value !== 'とじる')
    .map((n) => [n.name.value, n.description?.value]), [['START', 'スタート'], ['OK', 'こたえあわせ']]);
  const { cards: faceUp } = await game.keys('Space').then(() => game.seen());  // START holds the focus
  const names = ['くち', 'はな', 'みぎみみ', 'ひだりみみ', 'みぎめ（ほくろ）', 'ひだりめ'];
  assert.equal((await described())['カード 1'], names[PARTS.indexOf(faceUp[0])]);
  const told = () => game.page.locator('[aria-live]').textContent();
  await game.page.clock.runFor(5000);
  assert.equal(await told(), 'カードを ふせました。すうじキーで とれます');
  const card = faceUp.indexOf('part4') + 1;
  await game.keys(`Digit${card}`, 'ArrowLeft', 'ArrowLeft');
  assert.equal(await told(), 'みぎめ あき');
  await game.keys('Enter');
  assert.equal(await told(), `カード ${card}を みぎめに おきました`);
  assert.equal((await described())['みぎめ'], `カード ${card} の うら`);
  await game.keys('Tab', 'Enter');  // O K: a wrong face, whose box is heard
  assert.equal((await tree()).filter((n) => n.role?.value === 'alertdialog').length, 1);
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
  await game.page.clock.resume();  // the page starts in the frames it paints
  await game.page.goto('http://poromea.test/?memorise=2');
  await game.ready();
  await notice.waitFor();
  assert.equal(await notice.textContent(), '--memorise には 5 から 600 までの秒数を指定してください。');
  assert.ok(await notice.isVisible());
  await game.standStill();
  await game.press('Command1');
  await game.page.clock.runFor(4900);
  assert.notDeepEqual((await game.seen()).cards, COVERS, 'not taken, five it is');
  await game.page.clock.runFor(200);
  assert.deepEqual((await game.seen()).cards, COVERS);
});
