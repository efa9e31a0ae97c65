// The page in headless Chromium, played with the real mouse, touch and keys.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { COVERS, EMPTY, Game, PARTS, startBrowser } from './driver.mjs';

let suite;
before(async () => { suite = await startBrowser(); });
after(() => suite.close());

// Runs `body` with a fresh game, then checks the page had no error.
function play(name, options, body) {
  test(name, { timeout: 60_000 }, async () => {
    const game = await Game.open(suite, options);
    await body(game);
    await game.close();
  });
}

// What the slots show once every card is on its part's slot: the covers.
const coversInPlace = (faceUp) => PARTS.map((part) => COVERS[faceUp.indexOf(part)]);

const within = (outer) => async (locator) => {
  const [o, b] = [await outer.boundingBox(), await locator.boundingBox()];
  return [b.x - o.x, b.y - o.y, b.width, b.height].map(Math.round);
};

play('the main window is built from its layout', {}, async (game) => {
  const { page } = game;
  assert.equal(await page.title(), 'ポロメア');
  const form1 = page.locator('#Form1');
  assert.deepEqual(await form1.boundingBox(), { x: 308, y: 183, width: 663, height: 433 }, 'centred in 1280 x 800');
  assert.equal(await form1.evaluate((e) => getComputedStyle(e).backgroundColor), 'rgb(255, 255, 0)');
  const rect = within(form1);
  assert.deepEqual(await rect(game.control('Image1')), [16, 16, 318, 259]);
  assert.deepEqual(await rect(game.control('Image2')), [352, 16, 300, 300]);
  const slots = [[472, 224], [472, 160], [368, 136], [584, 136], [440, 104], [512, 104]];
  for (let k = 0; k < 6; ++k) assert.deepEqual(await rect(game.slot(k)), [...slots[k], 50, 50], `slot ${k}`);
  for (let i = 0; i < 6; ++i) assert.deepEqual(await rect(game.card(i)), [128 + 72 * i, 368, 50, 50], `card ${i}`);
  assert.deepEqual(await rect(game.control('Command1')), [16, 368, 89, 49]);
  assert.deepEqual(await rect(game.control('Command2')), [560, 368, 81, 49]);
  assert.equal(await game.control('Command2').textContent(), 'O  K');
  assert.equal(await page.locator('[data-control^="Img"]:not([data-card])').count(), 0, 'picture stores are not shown');

  // Every image control shows its picture: at natural size from the top
  // left corner, the title stretched to its control.
  assert.deepEqual(await page.$$eval('#Form1 .image', (all) => all.map((e) => {
    const style = getComputedStyle(e);
    return [style.backgroundImage.startsWith('url("data:image/'), style.backgroundSize, style.backgroundRepeat, style.backgroundPosition];
  })), Array.from({ length: 14 }, (_, i) => [true, i ? 'auto' : '100% 100%', 'no-repeat', '0px 0px']));

  // Labels: one line each, opaque, in the installed Mincho and Gothic faces.
  await game.cdp.send('DOM.enable');
  await game.cdp.send('CSS.enable');
  const { root } = await game.cdp.send('DOM.getDocument');
  const labels = { Label1: ['しっかり見て、しっかり覚えて', 'IPAMincho', 19], Label2: ['ドラッグ＆ドロップ！！', 'IPAMincho', 19],
    Label3: ['(ヒント\u3000右目にほくろがあるよ。)', 'IPAGothic', 16] };
  for (const [name, [text, face, size]] of Object.entries(labels)) {
    const label = game.control(name);
    assert.equal(await label.textContent(), text);
    const style = await label.evaluate((e) => [e.scrollWidth <= e.clientWidth, getComputedStyle(e).backgroundColor, getComputedStyle(e).fontSize]);
    assert.deepEqual(style, [true, 'rgb(255, 255, 0)', `${size}px`], name);
    const { nodeId } = await game.cdp.send('DOM.querySelector', { nodeId: root.nodeId, selector: `[data-control="${name}"]` });
    const { fonts } = await game.cdp.send('CSS.getPlatformFontsForNode', { nodeId });
    assert.deepEqual(fonts.map((f) => f.familyName), [face], name);
  }

  assert.deepEqual(await game.pictures('cards'), COVERS);
  assert.deepEqual(await game.pictures('slots'), EMPTY);

  // START holds the focus; Tab goes between the two buttons only.
  const focused = () => page.evaluate(() => document.activeElement.dataset.control);
  assert.equal(await focused(), 'Command1');
  for (const [key, expected] of [['Tab', 'Command2'], ['Tab', 'Command1'], ['Shift+Tab', 'Command2']]) {
    await page.keyboard.press(key);
    assert.equal(await focused(), expected, key);
  }
  await page.keyboard.press('Shift+Tab');
  await page.keyboard.press('Space');  // the keyboard starts a game too
  assert.deepEqual([...await game.pictures('cards')].sort(), PARTS);
});

play('a correct game opens one congratulation window, back at its place when reopened', {}, async (game) => {
  await game.placeAll(await game.deal());
  await game.press('Command2');
  assert.deepEqual(await game.pictures('slots'), PARTS);
  const opened = [{ title: 'おめでとう !!', client: [228, 129, 562, 108], shows: 'banner' }];
  assert.deepEqual((await game.windows()).form2, opened);
  const banner = game.control('Image1', 'Form2');  // at natural size, clipped by the client area
  assert.deepEqual(await banner.evaluate((e) => [e.offsetWidth, e.offsetHeight, e.parentNode.clientWidth,
    getComputedStyle(e.parentNode).overflow, getComputedStyle(e).backgroundSize]), [567, 113, 562, 'hidden', 'auto']);

  await game.press('Command2');  // the same answer again: still one window
  assert.deepEqual((await game.windows()).form2, opened);

  // Moved by its title bar, then closed.
  const title = await game.point(game.page.locator('#Form2 .titlebar'), { x: 60, y: 10 });
  await game.page.mouse.move(title.x, title.y);
  await game.page.mouse.down();
  await game.page.mouse.move(title.x + 150, title.y + 200, { steps: 3 });
  await game.page.mouse.up();
  assert.deepEqual((await game.windows()).form2[0].client, [378, 329, 562, 108]);
  await game.click(game.control('close', 'Form2'));
  assert.deepEqual((await game.windows()).form2, []);

  await game.placeAll(await game.deal());
  await game.press('Command2');
  assert.deepEqual((await game.windows()).form2, opened, 'reopened at its place');
  await game.press('Command1');  // a new game leaves it open
  assert.deepEqual((await game.windows()).form2, opened);
  assert.equal(await game.page.locator('#Form2').count(), 1);
});

play('a wrong game says so in a modal message box', {}, async (game) => {
  await game.placeAll(await game.deal(), [0, 1, 3, 2, 4, 5]);  // ears swapped
  await game.press('Command2');
  assert.deepEqual(await game.pictures('slots'), ['part0', 'part1', 'part3', 'part2', 'part4', 'part5']);
  const wrong = { title: 'まちがいです。', prompt: '残念、スタートボタンからやりなおし。', buttons: 1, role: 'alertdialog', icons: 0 };
  assert.deepEqual(await game.windows(), { form2: [], message: wrong });

  await game.page.mouse.click(...Object.values(await game.point(game.control('Command1'))));
  assert.deepEqual(await game.pictures('cards'), COVERS, 'the main window takes no input meanwhile');
  await game.answer('Escape');
  for (const key of ['Enter', 'Space']) {
    await game.press('Command2');
    assert.deepEqual((await game.windows()).message, wrong);
    await game.answer(key);
  }
});

play('a card released anywhere but a slot changes nothing; any button drops', {}, async (game) => {
  await game.deal();
  await game.drag(2, game.slot(4));
  await game.drag(5, game.slot(4), { at: { x: 49, y: 0 }, button: 'right' });  // any corner of the slot
  const placed = ['empty', 'empty', 'empty', 'empty', 'cover6', 'empty'];
  assert.deepEqual(await game.pictures('slots'), placed);

  await game.drag(1, game.control('Image2'), { at: { x: 5, y: 5 } });     // on the face beside the slots
  await game.drag(1, game.control('Command2'));                         // on a button
  await game.drag(1, game.card(3));                                     // on another card
  await game.drag(1, game.control('Image2'), { at: { x: 120, y: 207 } });  // one pixel above the mouth's slot
  await game.drag(1, game.page.locator('body'), { at: { x: 5, y: 5 } });  // outside the window
  assert.deepEqual(await game.pictures('slots'), placed);
  assert.deepEqual(await game.pictures('cards'), COVERS);
});

play('O K before a game says wrong; after O K, START allows no drag before the covers', {}, async (game) => {
  await game.press('Command2');
  assert.deepEqual(await game.pictures('slots'), EMPTY);
  assert.equal((await game.windows()).message.title, 'まちがいです。');
  await game.answer();

  await game.deal();
  await game.press('Command2');
  await game.answer();
  await game.press('Command1');
  const faceUp = await game.pictures('cards');
  await game.drag(0, game.slot(0));
  assert.deepEqual(await game.pictures('slots'), EMPTY);
  assert.deepEqual(await game.pictures('cards'), faceUp);
  await game.page.clock.runFor(5000);
  await game.drag(0, game.slot(0));
  assert.equal((await game.pictures('slots'))[0], 'cover1');
});

play('Escape during a drag puts the card back', {}, async (game) => {
  await game.deal();
  await game.drag(0, game.slot(0), { between: () => game.page.keyboard.press('Escape') });
  assert.deepEqual(await game.pictures('slots'), EMPTY);
  assert.equal(await game.page.locator('.outline').isVisible(), false);
});

play('a whole game by touch on a phone, the game scaled to fit', { viewport: { width: 390, height: 844 }, touch: true },
  async (game) => {
    const box = await game.page.locator('#Form1').boundingBox();
    assert.ok(box.x >= 0 && box.y >= 0 && box.x + box.width <= 390.01 && box.y + box.height <= 844, JSON.stringify(box));
    assert.ok(Math.abs(box.width - 390) < 0.5 && Math.abs(box.height / box.width - 433 / 663) < 0.002, 'fits, proportions kept');
    const faceUp = await game.deal();
    await game.placeAll(faceUp);
    assert.deepEqual(await game.pictures('slots'), coversInPlace(faceUp));
    await game.press('Command2');
    assert.deepEqual(await game.pictures('slots'), PARTS);
    const [form2] = (await game.windows()).form2;
    assert.ok(form2.client[2] < 340 && form2.client[0] + form2.client[2] <= 390, `scaled with the game: ${form2.client}`);
    assert.deepEqual(await game.page.evaluate(() => [scrollX, scrollY, visualViewport.scale]), [0, 0, 1], 'no scroll, no zoom');
  });

play('a whole game with the keys alone, told to a screen reader', {}, async (game) => {
  const { page } = game;
  const ax = async () => {
    const { nodes } = await game.cdp.send('Accessibility.getFullAXTree');
    return Object.fromEntries(nodes.filter((n) => n.role?.value === 'image' && n.description)
      .map((n) => [n.name.value, n.description.value]));
  };
  const announced = () => page.locator('[aria-live]').textContent();
  assert.deepEqual(await ax(), {
    'カード 1': 'カード 1 の裏', 'カード 2': 'カード 2 の裏', 'カード 3': 'カード 3 の裏', 'カード 4': 'カード 4 の裏',
    'カード 5': 'カード 5 の裏', 'カード 6': 'カード 6 の裏', '口の場所': '空き', '鼻の場所': '空き', '右耳の場所': '空き',
    '左耳の場所': '空き', '右目の場所': '空き', '左目の場所': '空き' });

  await page.keyboard.press('Space');  // START holds the focus
  const faceUp = await game.pictures('cards');
  assert.equal((await ax())['カード 1'], { part0: '口', part1: '鼻', part2: '右耳', part3: '左耳', part4: '右目（ほくろ）', part5: '左目' }[faceUp[0]]);
  await page.clock.runFor(5000);

  // Card by digit (main row and keypad), slot by arrows, dropped by Return or Space.
  const keys = ['Digit', 'Numpad'];
  for (let part = 0; part < 6; ++part) {
    const card = faceUp.indexOf(`part${part}`) + 1;
    if (part === 0) {  // a second digit takes up another card instead
      await page.keyboard.press(`Digit${(card % 6) + 1}`);
      await page.keyboard.press('ArrowRight');
    }
    await page.keyboard.press(`${keys[part % 2]}${card}`);
    assert.deepEqual(await within(page.locator('#Form1'))(page.locator('.outline')), [472, 224, 50, 50], 'on the mouth');
    if (part === 0) assert.equal(await announced(), '口の場所、空き');
    const steps = part <= 3 ? part : part - 6;  // the shorter way round
    for (let i = 0; i < Math.abs(steps); ++i) await page.keyboard.press(steps > 0 ? 'ArrowDown' : 'ArrowLeft');
    await page.keyboard.press(part % 2 ? 'Space' : 'Enter');
  }
  assert.deepEqual(await game.pictures('slots'), coversInPlace(faceUp));
  assert.deepEqual(await game.pictures('cards'), COVERS, 'Space and Return pressed no button');
  assert.equal((await ax())['右目の場所'], `カード ${faceUp.indexOf('part4') + 1} の裏`);

  // A press of the pointer ends a drag by the keys, as Escape does.
  await page.keyboard.press('Digit1');
  await page.mouse.click(...Object.values(await game.point(game.control('Image2'), { x: 5, y: 5 })));
  assert.equal(await page.locator('.outline').isVisible(), false);

  await page.keyboard.press('Tab');
  await page.keyboard.press('Enter');  // O K
  assert.deepEqual(await game.pictures('slots'), PARTS);
  assert.deepEqual((await game.windows()).form2.length, 1);
  const { nodes } = await game.cdp.send('Accessibility.getFullAXTree');
  assert.ok(nodes.some((n) => n.role?.value === 'dialog' && n.name?.value === 'おめでとう !!'), 'a dialog named by its title');
});

play('a failure in a handler is reported in the page, and the game takes no more input', {}, async (game) => {
  await game.deal();
  // The page refuses the card the pointer: a host operation fails mid-handler.
  await game.page.evaluate(() => { Element.prototype.setPointerCapture = () => { throw new Error('ポインターを捕まえられません'); }; });
  await game.drag(0, game.slot(0));
  game.failures = ['「マウス」の処理でエラーが発生しました。\nポインターを捕まえられません\nゲームを終了します。'];
  for (const key of ['Space', 'Tab', 'Enter', 'Digit1', 'Enter']) await game.page.keyboard.press(key);
  await game.drag(1, game.slot(1));
  assert.deepEqual(await game.pictures('slots'), EMPTY);
  assert.deepEqual(await game.pictures('cards'), COVERS);
});
