// Tests of other files, as written there, played in Firefox ESR too
// (POROMEA_BROWSER=firefox: game.mjs drives the page through firefox.mjs):
// the main game of web_host.test.mjs and every host scenario of
// scenarios.test.mjs, each reported here by its name.
import assert from 'node:assert/strict';
import { execFile, execFileSync } from 'node:child_process';
import { test } from 'node:test';
import { promisify } from 'node:util';

const player = process.env.POROMEA_SCENARIOS ?? new URL('../../build/tests/web/web_scenarios', import.meta.url).pathname;
const scenarios = execFileSync(player, ['--list']).toString().trim().split('\n').map((line) => line.split('\t')[0]);

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

inFirefox('web_host.test.mjs', 'a whole game with the mouse; one congratulation window, reopened at its place', 120_000);
for (const name of scenarios) inFirefox('scenarios.test.mjs', `scenario ${name}`, 300_000);
