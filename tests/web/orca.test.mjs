// What the Orca screen reader says of the page, with its default settings, in Firefox ESR and in Chromium
// (orca_page_test.py): a right and a wrong game by keys. One Orca at a time runs on the machine, so a test may wait
// for another's.
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { test } from 'node:test';
import { root } from './game.mjs';

const script = new URL('orca_page_test.py', import.meta.url).pathname;

for (const browser of ['firefox', 'chromium']) {
  test(`Orca hears a game played by keys in ${browser}`, { timeout: 1_200_000 }, async () => {
    const { status, output } = await new Promise((resolve) => execFile('/usr/bin/python3', [script, browser, root],
      { maxBuffer: 1 << 24 }, (error, stdout, stderr) => resolve({ status: error ? error.code : 0, output: stdout + stderr })));
    assert.equal(status, 0, output);
  });
}
