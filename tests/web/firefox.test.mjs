// The host scenarios that prove what Firefox ESR may do otherwise than Chromium, as written in
// scenarios.test.mjs and played there (POROMEA_BROWSER=firefox: game.mjs drives the page through
// firefox.mjs): its mouse, its keys and its timers. The rest of the page is its own code and Chromium's tests'.
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { test } from 'node:test';
import { promisify } from 'node:util';


// Its run is ended, with its browser, a little before the test's time is up.
const inFirefox = (file, name, timeout) => test(`in Firefox ESR: ${name}`, { timeout: timeout + 10_000 }, async () => {
  // The test's own run, reported as TAP, not to this runner; the one test named, and it passes.
  const env = { ...process.env, POROMEA_BROWSER: 'firefox' };
  delete env.NODE_TEST_CONTEXT;
  const pattern = `^${name.replace(/[.*+?^${}()|[\]\\]/g, '\\$&')}$`;
  const run = await promisify(execFile)(process.execPath, ['--test', '--test-reporter=tap', `--test-name-pattern=${pattern}`, file],
    { cwd: new URL('.', import.meta.url).pathname, env, timeout }).catch((failed) => failed);
  const ran = [...run.stdout.matchAll(/^((?:not )?ok) \d+ - (.*)$/gm)].map(([, verdict, title]) => `${verdict}: ${title}`)
    .filter((line) => !line.endsWith(' # SKIP test name does not match pattern'));
  assert.deepEqual([ran, run.stdout.match(/^# (pass|fail) \d+$/gm)], [[`ok: ${name}`], ['# pass 1', '# fail 0']], run.stdout + run.stderr);
});

for (const name of ['CorrectGames', 'KeyboardGame', 'ButtonsAndMemorisingTime']) inFirefox('scenarios.test.mjs', `scenario ${name}`, 300_000);
