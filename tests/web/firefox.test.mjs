// The main game of web_host.test.mjs, as written there, played in Firefox ESR
// too (POROMEA_BROWSER=firefox: game.mjs drives it through firefox.mjs).
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { test } from 'node:test';
import { promisify } from 'node:util';

const scenario = 'a whole game with the mouse; one congratulation window, reopened at its place';

test(`in Firefox ESR: ${scenario}`, { timeout: 180_000 }, async () => {
  // The scenario's own run, reported as TAP, not to this runner.
  const env = { ...process.env, POROMEA_BROWSER: 'firefox' };
  delete env.NODE_TEST_CONTEXT;
  const run = await promisify(execFile)(process.execPath, ['--test', '--test-reporter=tap', `--test-name-pattern=^${scenario}$`, 'web_host.test.mjs'],
    { cwd: new URL('.', import.meta.url).pathname, env }).catch((failed) => failed);
  assert.deepEqual([run.stdout.match(/^ok \d+ - a whole game with the mouse.*$/m)?.[0].replace(/^ok \d+ - /, ''), run.stdout.match(/^# (pass|fail) \d+$/gm)],
    [scenario, ['# pass 1', '# fail 0']], run.stdout + run.stderr);
});
