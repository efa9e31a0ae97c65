// Serves a folder on 127.0.0.1 at a free port, as a plain static server would.
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize } from 'node:path';

const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.ico': 'image/x-icon' };

// `headers` are added to every answer (e.g. cross-origin isolation, which
// gives the page's clock its finer resolution).
export async function serve(root, headers = {}) {
  const server = createServer(async (request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    try {
      const body = await readFile(join(root, path.endsWith('/') ? path + 'index.html' : path));
      response.writeHead(200, { 'Content-Type': types[extname(path) || '.html'] ?? 'application/octet-stream',
        ...headers });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { root, url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}
