// measure.mjs: the browser build's figures for the README, kept out of the tests: the download
// size, the time from load to the first frame, and the main thread's busy share while the game
// runs at 60 frames a second, in Debian's headless Chromium in real time.
//   node web/measure.mjs [BUILD_WEB_DIR] [SECONDS]   (defaults: build-web, 30)
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { gzipSync } from 'node:zlib';

import { browser, serve } from '../tests/web/browser.mjs';

const dir = path.resolve(process.argv[2] ?? 'build-web');
const seconds = Number(process.argv[3] ?? 30);

function sizes(names) {
  let raw = 0;
  let gzip = 0;
  for (const name of names) {
    const bytes = readFileSync(path.join(dir, name));
    raw += bytes.length;
    gzip += gzipSync(bytes, { level: 9 }).length;
  }
  return `${(raw / 1024).toFixed(0)} KiB, ${(gzip / 1024).toFixed(0)} KiB gzipped`;
}

const kib = (names) => `${names.join(' + ')}: ${sizes(names)}`;
console.log(kib(['index.wasm', 'index.data']));
console.log(kib(['index.html', 'index.js', 'index.wasm', 'index.data', 'Aaargh.ttf']));

const server = await serve(dir);
const chromium = await browser.launch();
try {
  const tab = await chromium.new_page();
  await tab.send('Performance.enable', { timeDomain: 'timeTicks' });
  await tab.send('Page.navigate', { url: server.url });
  while (!(await tab.evaluate('window.vexlorn_page && vexlorn_page.frames > 0'))) {
    await new Promise((r) => setTimeout(r, 50));
  }
  console.log(`load to first frame: ${(await tab.evaluate('vexlorn_page.first_frame_ms')).toFixed(0)} ms`);

  const metrics = async () => {
    const { metrics: list } = await tab.send('Performance.getMetrics');
    return Object.fromEntries(list.map((m) => [m.name, m.value]));
  };
  await new Promise((r) => setTimeout(r, 2000));
  const start = await metrics();
  const frames_before = await tab.evaluate('vexlorn_page.frames');
  await new Promise((r) => setTimeout(r, seconds * 1000));
  const end = await metrics();
  const frames = (await tab.evaluate('vexlorn_page.frames')) - frames_before;
  const wall = end.Timestamp - start.Timestamp;
  const busy = (end.TaskDuration - start.TaskDuration) / wall;
  const script = (end.ScriptDuration - start.ScriptDuration) / wall;
  console.log(`over ${wall.toFixed(1)} s: ${(frames / wall).toFixed(1)} frames a second, ` +
              `main thread busy ${(busy * 100).toFixed(1)}% (script ${(script * 100).toFixed(1)}%)`);
  console.log(`title: ${await tab.title()}`);
} finally {
  await chromium.close();
  await server.close();
}
