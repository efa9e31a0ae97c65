// The host scenarios that prove what Firefox ESR may do otherwise than Chromium (its mouse, its keys, its timers; the
// rest of the page is its own code and Chromium's tests'), played through firefox.mjs.
import { playScenario } from './scenarios.mjs';

for (const name of ['WholeGames', 'KeyboardGame', 'NotTheGames', 'ButtonsAndMemorisingTime']) {
  playScenario(name, `in Firefox ESR: scenario ${name}`, { firefox: true, timeout: 300_000 });
}
