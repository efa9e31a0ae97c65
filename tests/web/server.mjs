// The page's folder served over HTTP on this machine, as a static web server serves it: each file with its type and a
// validator (a request that has the file answered 304), every request logged. The page's service worker, its
// installability and Lighthouse want such a server: the tests' browser-served origin is not a secure context. The
// folder is at `under` (a path ending in /): a page copied anywhere on a site must work there. The files `without` are
// answered 404.
import { createServer } from 'node:http';
import { readFile, stat } from 'node:fs/promises';

const types = { html: 'text/html; charset=utf-8', js: 'text/javascript', wasm: 'application/wasm',
  webmanifest: 'application/manifest+json', png: 'image/png', ico: 'image/vnd.microsoft.icon' };

export async function serve(root, { under = '/', without = [] } = {}) {
  const log = [];  // [method, path, status]
  const server = createServer(async (request, response) => {
    const path = new URL(request.url, 'http://localhost').pathname.replace(/\/$/, '/index.html');
    const name = decodeURIComponent(path.slice(under.length));
    const file = path.startsWith(under) && !without.includes(name) ? `${root}/${name}` : '/nonexistent';
    const [body, info] = await Promise.all([readFile(file), stat(file)]).catch(() => [null, null]);
    const tag = info && `"${info.size}-${info.mtimeMs}"`;
    const status = !body ? 404 : request.headers['if-none-match'] === tag ? 304 : 200;
    log.push([request.method, path, status]);
    // A missing file's answer says so, as a web server's does.
    response.writeHead(status, body ? { 'Content-Type': types[path.split('.').pop()] ?? 'application/octet-stream', ETag: tag,
      'Cache-Control': 'no-cache' } : { 'Content-Type': 'text/plain' }).end(status === 200 ? body : status === 404 ? 'Not Found' : undefined);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const origin = `http://127.0.0.1:${server.address().port}`;
  return { origin, url: origin + under, log,
    close: () => new Promise((resolve) => { server.closeAllConnections(); server.close(resolve); }) };
}
