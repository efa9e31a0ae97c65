// The page in headless Chromium, played with the real pointer, touch and keys (the page is only read): what the
// page adds to the scenarios every host plays (scenarios.test.mjs).
import assert from 'node:assert/strict';
import { COVERS, PARTS, play } from './game.mjs';

// Touch: on the page zoomed in, as a pinch zooms it, a card dragged moves no page; a second finger makes a
// pinch, which takes the card away and presses nothing; a screen reader's activation (a click with no pointer or
// key) presses no button while the keys hold a card; a whole game, the congratulation window scaled to fit. The
// address's memorising time is its last, as the command line's is.
play('a whole game by touch on a phone, zoomed in and out', { phone: true, query: '/?memorise=30&memorise=7' }, async (game) => {
  assert.equal(await game.page.getByRole('status').count(), 0, 'a memorising time taken says nothing');
  const faceUp = await game.deal(7000);
  // As a pinch does (this headless browser synthesises no pinch), refused by a page that forbids zooming.
  await game.cdp.send('Emulation.setPageScaleFactor', { pageScaleFactor: 2 });
  const view = () => game.page.evaluate(() => ({ scale: visualViewport.scale, left: visualViewport.pageLeft, top: visualViewport.pageTop, x: scrollX, y: scrollY }));
  const zoomed = await view(), outline = [];
  assert.equal(zoomed.scale, 2);
  await game.drag(faceUp.indexOf('part0'), game.control('Image10'), { between: async () => outline.push(await game.page.locator('.outline').isVisible()) });
  assert.deepEqual([outline, await view(), (await game.seen()).slots[0]], [[true], zoomed, COVERS[faceUp.indexOf('part0')]]);
  await game.cdp.send('Emulation.setPageScaleFactor', { pageScaleFactor: 1 });

  const at = async (name) => game.point(game.control(name));
  const card = { ...(await at('Imgx(0)')), id: 1 }, start = { ...(await at('Command1')), id: 2 };
  await game.touch('touchStart', card);
  await game.touch('touchMove', { ...card, x: card.x + 10 });
  await game.touch('touchStart', { ...card, x: card.x + 10 }, start);
  await game.touch('touchEnd', { ...card, x: card.x + 10 });
  await game.touch('touchEnd');
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

// What Chromium's accessibility tree gives a reader of the page, besides what Orca hears of a game by keys
// (orca.test.mjs): a parameter of the address the game does not know, told in the command line's words; every card
// and place named and described by what it shows, a place as a card is dropped on it.
play('the page told to a screen reader through the accessibility tree', { query: '/?lang=en' }, async (game) => {
  const notice = game.page.getByRole('status');
  await notice.waitFor();
  assert.deepEqual([await notice.textContent(), await notice.isVisible()], ['知らないオプションです: --lang=en（--help で使い方を表示します）', true]);
  const described = async () => Object.fromEntries((await game.cdp.send('Accessibility.getFullAXTree')).nodes
    .filter((n) => n.role?.value === 'image' && n.description).map((n) => [n.name.value, n.description.value]));
  assert.deepEqual(await described(), Object.fromEntries([1, 2, 3, 4, 5, 6].map((i) => [`カード ${i}`, `カード ${i} の うら`])
    .concat(['くち', 'はな', 'みぎみみ', 'ひだりみみ', 'みぎめ', 'ひだりめ'].map((slot) => [slot, 'あき']))));
  const faceUp = await game.deal();
  await game.keys(`Digit${faceUp.indexOf('part4') + 1}`, 'ArrowLeft', 'ArrowLeft', 'Enter');
  assert.equal((await described())['みぎめ'], `カード ${faceUp.indexOf('part4') + 1} の うら`);
});
