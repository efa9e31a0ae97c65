// Lighthouse's audit of the page, as a phone on a slow line sees it (its
// mobile preset), in Debian's Chromium, headless (make audit-web):
//   node audit.mjs [BUILD_WEB_DIR]
// Served by server.mjs on this machine; prints the four categories' scores
// and whatever each lost points on.
import * as chromeLauncher from 'chrome-launcher';
import lighthouse from 'lighthouse';
import { serve } from '../../tests/web/server.mjs';

const root = process.argv[2] ?? new URL('../../build-web', import.meta.url).pathname;
const server = await serve(root);
// As root, Chromium's sandbox cannot start.
const chrome = await chromeLauncher.launch({ chromePath: '/usr/bin/chromium',
  chromeFlags: ['--headless=new', '--disable-gpu', ...(process.getuid() === 0 ? ['--no-sandbox'] : [])] });
try {
  const { lhr } = await lighthouse(`${server.origin}/`, { port: chrome.port, logLevel: 'error', output: 'json' });
  for (const category of Object.values(lhr.categories)) {
    const lost = category.auditRefs.filter((ref) => ref.weight > 0 && (lhr.audits[ref.id].score ?? 1) < 1)
      .map((ref) => `${ref.id} ${lhr.audits[ref.id].displayValue ?? lhr.audits[ref.id].score}`);
    console.log(`${category.id}: ${Math.round(category.score * 100)}${lost.length ? `  (${lost.join(', ')})` : ''}`);
  }
  for (const warning of lhr.runWarnings) console.log(`warning: ${warning}`);
  if (process.env.AUDIT_DETAILS) for (const id of process.env.AUDIT_DETAILS.split(',')) console.log(id, JSON.stringify(lhr.audits[id]?.details?.items ?? lhr.audits[id], null, 1));
} finally {
  await chrome.kill();
  await server.close();
}
