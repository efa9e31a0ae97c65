// The page's service worker: every file of the page, cached under this
// build's name, served from the cache first, so the game starts at once and
// plays offline. The build writes the name and the files in (host/web/service_worker.cmake).
// Caches belong to the whole site: each copy of the page, in its own folder, names its own by that folder.
const MINE = `poromea ${new URL(self.registration.scope).pathname} `;
const CACHE = `${MINE}@BUILD@`;
const FILES = [@FILES@];
// The pictures for dense screens: only those of the density a page takes (it says which).
const DENSE = [@DENSE@];

const SCOPE = new URL(self.registration.scope);
const PAGE = new URL('./', SCOPE).href;
// The addresses this worker answers: the page's own files, and nothing else of the site.
const OWN = new Set([...FILES, ...DENSE].map((file) => new URL(file, SCOPE).href));

self.addEventListener('install', (event) => {
  // Revalidated, not taken from the browser's cache: a new build's files, never a mix with the old.
  event.waitUntil(caches.open(CACHE)
    .then((cache) => cache.addAll(FILES.map((file) => new Request(file, { cache: 'no-cache' }))))
    .then(() => self.skipWaiting()));
});

// A page on a dense screen says which density it takes: those pictures are kept with the rest.
self.addEventListener('message', (event) => {
  const files = DENSE.filter((file) => file.endsWith(`@${event.data}x.png`));
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(files)));
});

// A new build takes over at once, serving the page's next start, and the old builds' caches of this copy go.
self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith(MINE) && name !== CACHE).map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  const { request } = event;
  if (request.method !== 'GET') return;
  const url = new URL(request.url);
  url.search = '';
  // The page itself, at the folder's address or as index.html, with any query; every other page of the
  // site, and a mistyped address under this folder, goes to the network untouched.
  const page = request.mode === 'navigate';
  if (page ? url.href !== PAGE && url.href !== `${PAGE}index.html` : !OWN.has(request.url)) return;
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(page ? PAGE : request, { ignoreSearch: page }))
    .then((cached) => cached ?? fetch(request)));
});
