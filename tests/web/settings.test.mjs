// settings.test.mjs: the page keeps Video_Settings.cfg in the browser's IndexedDB, so that
// it survives a reload in the same profile: written when the game writes it, and in place
// before the game reads it.
import assert from 'node:assert/strict';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { browser, serve } from './browser.mjs';

const web_dir = path.resolve(process.env.WEB_DIR);

let server;
let chromium;
let tab;

before(async () => {
  server = await serve(web_dir);
  chromium = await browser.launch();
  tab = await chromium.new_page();
});

after(async () => {
  await chromium?.close();
  await server?.close();
});

// IndexedDB's copy of the settings file, as text; null when there is none.
const stored_settings = `new Promise((resolve, reject) => {
  const open = indexedDB.open('/persist');
  open.onerror = () => reject(open.error);
  open.onupgradeneeded = () => open.result.createObjectStore('FILE_DATA');
  open.onsuccess = () => {
    const db = open.result;
    const read = db.transaction('FILE_DATA').objectStore('FILE_DATA').get('/persist/Video_Settings.cfg');
    read.onsuccess = () => {
      db.close();
      resolve(read.result ? new TextDecoder().decode(read.result.contents) : null);
    };
    read.onerror = () => reject(read.error);
  };
})`;

// Stands in for a player's edit of the stored file between two visits.
function store_settings(text) {
  return `new Promise((resolve, reject) => {
    const open = indexedDB.open('/persist');
    open.onsuccess = () => {
      const db = open.result;
      const files = db.transaction('FILE_DATA', 'readwrite').objectStore('FILE_DATA');
      const read = files.get('/persist/Video_Settings.cfg');
      read.onsuccess = () => {
        const entry = read.result;
        entry.contents = new TextEncoder().encode(${JSON.stringify(text)});
        entry.timestamp = new Date();
        files.put(entry, '/persist/Video_Settings.cfg').onsuccess = () => {
          db.close();
          resolve(true);
        };
      };
      read.onerror = () => reject(read.error);
    };
    open.onerror = () => reject(open.error);
  })`;
}

// IndexedDB's tasks wait while virtual time is stopped, so the page's clock runs freely while
// the test reads or writes the stored copy.
async function with_clock_running(expression) {
  await tab.send('Emulation.setVirtualTimePolicy', { policy: 'advance' });
  try {
    return await tab.evaluate(expression);
  } finally {
    await tab.send('Emulation.setVirtualTimePolicy', { policy: 'pause' });
  }
}

const count_saves = `
  window.settings_saves = 0;
  window.addEventListener('vexlorn-settings-saved', () => { window.settings_saves += 1; });`;

// One visit to the page, until the game has written its settings and the page has stored them.
async function visit() {
  tab.console.length = 0;
  await tab.open(server.url, count_saves);
  assert.ok(await tab.first_frame(),
            `no frame drawn; console:\n${tab.console.join('\n')}`);
  assert.ok(await tab.run_until('window.settings_saves > 0', 30000), 'the settings were not stored');
}

test('the first visit finds no settings, and the defaults the game writes are stored', async () => {
  await visit();
  assert.ok(await tab.printed(
      'ERROR:  SDL.ReadConfig -> Unable to Read From File: Video_Settings.cfg - Reverting to Defaults'));
  assert.equal(await with_clock_running(stored_settings), '400\n300\n32\n0\n');
});

test('after a reload the game reads the stored settings before it opens its screen', async () => {
  await visit();
  assert.ok(await tab.printed('DEBUG:  Attempting to make SDL Window at 400 x 300, 32 bit depth '));
  assert.ok(!tab.console.some((line) => line.includes('Unable to Read From File')), tab.console.join('\n'));
});

test('a changed settings file is the one the game opens with after a reload, and stays stored', async () => {
  await with_clock_running(store_settings('480\n320\n32\n0\n'));
  await visit();
  assert.ok(await tab.printed('DEBUG:  Attempting to make SDL Window at 480 x 320, 32 bit depth '));
  assert.deepEqual(await tab.evaluate('[canvas.width, canvas.height]'), [480, 320]);
  assert.equal(await with_clock_running(stored_settings), '480\n320\n32\n0\n');
});
