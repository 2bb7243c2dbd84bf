// Keeps the page's own files so that it opens and works with no network. Each file
// is asked of the network first, as if there were no service worker, and its cached
// copy is used only when that fails; nothing else is ever requested or answered.
'use strict';

const CACHE = 'veilmark-page';
const FILES = ['./', 'index.html', 'page.js', 'page.css', 'core-worker.js', 'veilmark-core.js',
               'icon.svg', 'manifest.webmanifest'];
const own = new Set(FILES.map((file) => new URL(file, self.registration.scope).href));

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});
self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));

self.addEventListener('fetch', (event) => {
  const url = event.request.url.replace(/[?#].*$/, '');
  if (event.request.method !== 'GET' || !own.has(url)) return;
  event.respondWith(fetch(event.request).then((response) => {
    if (response.ok) {
      const copy = response.clone();
      event.waitUntil(caches.open(CACHE).then((cache) => cache.put(url, copy)));
    }
    return response;
  }, () => caches.match(url).then((cached) => cached || Response.error())));
});
