// What the page costs: its size, its start-up and its handlers, measured in
// the page. Cross-origin isolation gives performance.now() its fine (5 µs)
// resolution. The bounds catch a gross regression on a busy machine; the
// README reports the measured figures.
import assert from 'node:assert/strict';
import { readdir, stat } from 'node:fs/promises';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { COVERS, Game, MEMORISE_MS, startBrowser } from './driver.mjs';

let suite;
before(async () => {
  suite = await startBrowser({ 'Cross-Origin-Opener-Policy': 'same-origin', 'Cross-Origin-Embedder-Policy': 'require-corp' });
});
after(() => suite.close());

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

test('the whole page is under 300 KB', { timeout: 60_000 }, async (t) => {
  const root = suite.server.root;
  const files = await readdir(root);
  const sizes = Object.fromEntries(await Promise.all(files.map(async (f) => [f, (await stat(join(root, f))).size])));
  const total = Object.values(sizes).reduce((a, b) => a + b, 0);
  t.diagnostic(`${total} bytes: ${JSON.stringify(sizes)}`);
  assert.deepEqual(files.sort(), ['index.html', 'poromea.ico', 'poromea.js', 'poromea.wasm']);
  assert.ok(total < 300_000, `${total} bytes`);
});

// First visits (nothing cached) and visits again (the browser's caches warm).
test('start-up: from navigation to the main window drawn with its pictures', { timeout: 120_000 }, async (t) => {
  const drawn = { first: [], repeat: [] };
  for (let i = 0; i < 7; ++i) {
    const game = await Game.open(suite, { clock: false });
    drawn.first.push(await game.drawn());
    await game.page.reload();
    drawn.repeat.push(await game.drawn());
    await game.close();
  }
  for (const [visit, ms] of Object.entries(drawn)) {
    t.diagnostic(`${visit} visit: ${ms.map((v) => v.toFixed(1)).join(', ')} ms; median ${median(ms).toFixed(1)} ms`);
  }
  for (const ms of Object.values(drawn)) assert.ok(median(ms) < 500, JSON.stringify(drawn));
});

// Each handler many times through real input, as a player repeats them; the
// median is the cost once the browser has compiled the code that runs it.
test('handlers: START, drop and O K', { timeout: 120_000 }, async (t) => {
  const game = await Game.open(suite, { clock: false });
  for (let i = 0; i < 40; ++i) await game.press('Command1');
  const faceUp = await game.pictures('cards');
  await new Promise((resolve) => setTimeout(resolve, MEMORISE_MS + 300));  // the real memorise time
  assert.deepEqual(await game.pictures('cards'), COVERS);
  for (let i = 0; i < 5; ++i) await game.placeAll(faceUp);
  for (let i = 0; i < 40; ++i) await game.press('Command2');
  assert.equal((await game.windows()).form2.length, 1);
  const times = await game.page.evaluate(() => Module.handlerTimes());
  const report = { START: median(times.START), drop: median(times['ドロップ']), 'O  K': median(times['O  K'].slice(1)),
    'O  K, first (creates Form2)': times['O  K'][0] };
  t.diagnostic(`medians in µs: ${JSON.stringify(Object.fromEntries(Object.entries(report).map(([k, ms]) => [k, Math.round(ms * 1000)])))}`);
  for (const [kind, ms] of Object.entries(report)) assert.ok(ms < 5, `${kind}: ${ms} ms`);
  await game.close();
});
