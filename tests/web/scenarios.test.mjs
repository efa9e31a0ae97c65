// Every host scenario played on the page in Chromium (scenarios.mjs).
import { playScenario, scenarios } from './scenarios.mjs';

// A finger brings a window forward while the mouse holds a card: the page takes touch too.
for (const [name] of scenarios) playScenario(name, undefined, name === 'UnderAWindow' ? { screen: { hasTouch: true } } : {});
// On a phone held sideways whose screen has 2.625 device pixels to the page's pixel (a ratio it rounds up), tall enough
// for the window at its own size: the pictures drawn for 3, not the page's own stretched. (Where the window is scaled
// down to fit, as at 915 x 412, the browser resamples them: edges blend over 2.7 pixels, 7.5 before.)
playScenario('PicturesOnScreen', 'scenario PicturesOnScreen on a phone of density 2.625',
  { screen: { viewport: { width: 915, height: 440 }, deviceScaleFactor: 2.625, isMobile: true, hasTouch: true }, density: 3 });
