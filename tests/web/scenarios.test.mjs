// Every host scenario played on the page in Chromium (scenarios.mjs).
import { playScenario, scenarios } from './scenarios.mjs';

for (const [name] of scenarios) playScenario(name);
// On a phone held sideways whose screen has 3 device pixels to the page's pixel, tall enough for the window at its own
// size: the pictures drawn for that density, not the page's own stretched. (Where the window is scaled down to fit, as
// at 915 x 412, the browser resamples them: edges blend over 2.7 pixels, 7.5 before.)
playScenario('PicturesOnScreen', 'scenario PicturesOnScreen on a phone of density 3',
  { screen: { viewport: { width: 915, height: 440 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true }, density: 3 });
