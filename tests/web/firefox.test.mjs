// The host scenarios that prove what Firefox ESR may do otherwise than Chromium (its mouse, its keys, its timers;
// the rest of the page is its own code and Chromium's tests'), each played by scenarios.test.mjs in a run of its
// own (POROMEA_BROWSER=firefox: through firefox.mjs), reported to this test as TAP, ended with its browser in time.
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { test } from 'node:test';
import { promisify } from 'node:util';

for (const name of ['CorrectGames', 'KeyboardGame', 'NotTheGames', 'ButtonsAndMemorisingTime']) {
  test(`in Firefox ESR: scenario ${name}`, { timeout: 310_000 }, async () => {
    const env = { ...process.env, POROMEA_BROWSER: 'firefox' };
    delete env.NODE_TEST_CONTEXT;
    const run = await promisify(execFile)(process.execPath, ['--test', '--test-reporter=tap', `--test-name-pattern=^scenario ${name}$`,
      'scenarios.test.mjs'], { cwd: new URL('.', import.meta.url).pathname, env, timeout: 300_000 }).catch((failed) => failed);
    // The one scenario named ran (the others are skipped), and passed.
    const ran = [...run.stdout.matchAll(/^((?:not )?ok) \d+ - (.*)$/gm)].map(([, verdict, title]) => `${verdict}: ${title}`);
    assert.deepEqual([ran.filter((line) => !line.endsWith(' # SKIP test name does not match pattern')), run.stdout.match(/^# (pass|fail) \d+$/gm)],
      [[`ok: scenario ${name}`], ['# pass 1', '# fail 0']], run.stdout + run.stderr);
  });
}
