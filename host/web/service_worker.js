// The page's service worker: every file of the page, cached under this
// build's name, served from the cache first, so the game starts at once and
// plays offline. The build writes the name and the files in (host/web/service_worker.cmake).
// Caches belong to the whole site: each copy of the page, in its own folder, names its own by that folder.
const MINE = `poromea ${new URL(self.registration.scope).pathname} `;
const CACHE = `${MINE}@BUILD@`;
const FILES = [@FILES@];
// The pictures for dense screens: only those of the density a page takes (it says which).
const DENSE = [@DENSE@];

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

// A new build takes over at once and the old builds' caches of this copy go.
self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith(MINE) && name !== CACHE).map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  const { request } = event;
  if (request.method !== 'GET') return;
  // Every address of the page, ?memorise=8 too, is its one page.
  const page = request.mode === 'navigate';
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(page ? new URL('./', self.registration.scope).href : request, { ignoreSearch: page }))
    .then((cached) => cached ?? fetch(request)));
});
