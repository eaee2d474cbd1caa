// play.test.mjs: the browser build played in headless Chromium: its first frame against the
// desktop game's, the frame statistics, the keys, a kill, a hole in a bunker, game over and
// the replay. The game's clock is Chromium's virtual time, so a whole game takes seconds.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, symlinkSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { browser, pixel, serve } from './browser.mjs';

const web_dir = path.resolve(process.env.WEB_DIR);
const game_dir = path.resolve(process.env.GAME_DIR);
const first_frame_tool = path.resolve(process.env.FIRST_FRAME);

// The play field's layout, as the game draws it at 400 x 300.
const base_y = 261;
const base_h = 16;
const bunker_y = 220;
const bunker_h = 26;
const first_bunker_x = 45;
const bunker_w = 36;
const ground_y = 280;
const score_box = { x: 320, y: 285, w: 80, h: 15 };
const panel = { x: 50, y: 100, w: 300, h: 200 };

// The page keeps its first frame when the game flips it, before anything else can run.
const keep_first_frame = `
  window.addEventListener('vexlorn-first-frame', () => {
    const c = document.getElementById('canvas');
    window.first_frame = c.getContext('2d').getImageData(0, 0, c.width, c.height);
  });`;

let server;
let chromium;

before(async () => {
  server = await serve(web_dir);
  chromium = await browser.launch();
});

after(async () => {
  await chromium?.close();
  await server?.close();
});

async function start_game() {
  const p = await chromium.new_page();
  await p.open(server.url, keep_first_frame);
  assert.ok(await p.first_frame(),
            `no frame drawn; console:\n${p.console.join('\n')}\n${p.errors.join('\n')}`);
  // The base may not fire in the first 200 ms of the game.
  await p.run_for(250);
  return p;
}

function is_black(shot, x, y) {
  const [r, g, b] = pixel(shot, x, y);
  return r === 0 && g === 0 && b === 0;
}

function lit_in(shot, box) {
  let count = 0;
  for (let y = box.y; y < box.y + box.h; ++y) {
    for (let x = box.x; x < box.x + box.w; ++x) {
      count += is_black(shot, x, y) ? 0 : 1;
    }
  }
  return count;
}

function inside(box, x, y) {
  return x >= box.x && x < box.x + box.w && y >= box.y && y < box.y + box.h;
}

// The base's left edge: the first lit column of the base's rows above the spare-life icons.
function base_x(shot) {
  for (let x = 0; x < shot.width; ++x) {
    for (let y = base_y; y < base_y + base_h; ++y) {
      if (!is_black(shot, x, y)) {
        return x;
      }
    }
  }
  return -1;
}

// The right end of the score text: its last lit column.
function score_text_end(shot) {
  for (let x = score_box.x + score_box.w - 1; x >= score_box.x; --x) {
    for (let y = score_box.y; y < score_box.y + score_box.h; ++y) {
      if (!is_black(shot, x, y)) {
        return x;
      }
    }
  }
  return -1;
}

function desktop_first_frame() {
  const work = mkdtempSync(path.join(os.tmpdir(), 'vexlorn-first-frame-'));
  try {
    for (const name of ['IMG', 'SFX', 'Aaargh.ttf']) {
      symlinkSync(path.join(game_dir, name), path.join(work, name));
    }
    execFileSync(first_frame_tool, ['first.ppm'], { cwd: work, stdio: 'ignore' });
    const ppm = readFileSync(path.join(work, 'first.ppm'));
    const [magic, width, height, max] = ppm.subarray(0, 20).toString('latin1').split(/\s+/);
    assert.equal(magic, 'P6');
    assert.equal(max, '255');
    const header = `P6\n${width} ${height}\n255\n`.length;
    const rgb = ppm.subarray(header);
    const rgba = Buffer.alloc(width * height * 4);
    for (let i = 0; i < width * height; ++i) {
      rgb.copy(rgba, i * 4, i * 3, i * 3 + 3);
      rgba[i * 4 + 3] = 255;
    }
    return { width: Number(width), height: Number(height), rgba };
  } finally {
    rmSync(work, { recursive: true, force: true });
  }
}

test('the first frame matches the desktop game\'s pixel for pixel, the score text aside', async () => {
  const desktop = desktop_first_frame();
  const p = await start_game();
  const value = await p.evaluate(`(() => {
    const f = window.first_frame;
    let s = '';
    for (let i = 0; i < f.data.length; i += 0x8000) {
      s += String.fromCharCode.apply(null, f.data.subarray(i, i + 0x8000));
    }
    return { width: f.width, height: f.height, rgba: btoa(s) };
  })()`);
  const web = { width: value.width, height: value.height, rgba: Buffer.from(value.rgba, 'base64') };
  assert.deepEqual([web.width, web.height], [desktop.width, desktop.height]);
  // A field with the formation, the bunkers, the ground and the base on it.
  assert.ok(lit_in(desktop, { x: 0, y: 0, w: 400, h: 300 }) > 5000);
  const differing = [];
  for (let y = 0; y < web.height; ++y) {
    for (let x = 0; x < web.width; ++x) {
      if (inside(score_box, x, y)) {
        continue;
      }
      const a = pixel(web, x, y);
      const b = pixel(desktop, x, y);
      if (a.join() !== b.join()) {
        differing.push(`(${x},${y}) web ${a} desktop ${b}`);
      }
    }
  }
  assert.deepEqual(differing.slice(0, 10), [], `${differing.length} pixels differ`);
  // The score is there, drawn with the page's copy of the game's font.
  assert.ok(lit_in(web, score_box) > 20);
  assert.equal(await p.evaluate('document.fonts.check(\'12px "Aaargh.ttf"\')'), true);
});

test('the page asks for nothing but its own files from the test\'s server', async () => {
  const p = await chromium.new_page();
  const requested = [];
  chromium.listeners.push((message) => {
    if (message.sessionId === p.sessionId && message.method === 'Network.requestWillBeSent') {
      requested.push(message.params.request.url);
    }
  });
  await p.send('Network.enable');
  await p.open(server.url);
  assert.ok(await p.first_frame());
  await p.run_for(1000);
  const files = requested.map((url) => (url.startsWith(server.url) ? url.slice(server.url.length) : url));
  for (const file of ['', 'index.js', 'index.wasm', 'index.data', 'Aaargh.ttf']) {
    assert.ok(files.includes(file), `${file || 'the page'} not asked for: ${files}`);
  }
  // The images are decoded through in-memory blob addresses of the page's own origin.
  const own = (url) => url.startsWith(server.url) || url.startsWith(`blob:${server.url}`);
  assert.deepEqual(requested.filter((url) => !own(url)), []);
});

test('the canvas is shown at the largest whole scale that fits the window, crisp and centred', async () => {
  const p = await start_game();
  const cases = [
    { window: [400, 300], scale: 1 },
    { window: [1000, 700], scale: 2 },
    { window: [1300, 950], scale: 3 },
    { window: [1700, 850], scale: 2 },
    { window: [300, 200], scale: 1 },
  ];
  for (const c of cases) {
    const [width, height] = c.window;
    await p.send('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: 1, mobile: false });
    await p.run_for(50);
    const shown = await p.evaluate(`(() => {
      const r = canvas.getBoundingClientRect();
      return { w: r.width, h: r.height, left: r.left, top: r.top,
               rendering: getComputedStyle(canvas).imageRendering,
               background: getComputedStyle(document.body).backgroundColor };
    })()`);
    const name = `${width} x ${height}`;
    assert.deepEqual([shown.w, shown.h], [400 * c.scale, 300 * c.scale], name);
    if (c.scale * 400 <= width && c.scale * 300 <= height) {
      assert.equal(shown.left, (width - shown.w) / 2, name);
      assert.equal(shown.top, (height - shown.h) / 2, name);
    }
    assert.equal(shown.rendering, 'pixelated', name);
    assert.equal(shown.background, 'rgb(0, 0, 0)', name);
  }
});

test('the game has the keys at once, and they do not scroll the page', async () => {
  const p = await start_game();
  assert.equal(await p.evaluate('document.activeElement.id'), 'canvas');
  await p.evaluate(`window.kept = [];
    window.addEventListener('keydown', (e) => window.kept.push(e.defaultPrevented));`);
  for (const key of ['Left', 'Right', 'Up', 'Space']) {
    await p.key_down(key);
    await p.key_up(key);
  }
  assert.deepEqual(await p.evaluate('window.kept'), [true, true, true, true]);
});

test('the title shows the frame statistics at 60 of 60 frames a second', async () => {
  const p = await start_game();
  await p.run_for(3500);
  assert.match(await p.title(), /^Vexlorn - 60\/60 fps - \d+ms \d+ms \d+\.\d+ms$/);
});

test('the arrow keys move the base and the fire key shoots', async () => {
  const p = await start_game();
  await p.run_for(100);
  const start = base_x(await p.canvas());
  await p.hold('Right', 500);
  const right = base_x(await p.canvas());
  assert.ok(right >= start + 60, `base from ${start} to ${right} after holding Right`);
  await p.hold('Left', 250);
  const left = base_x(await p.canvas());
  assert.ok(left <= right - 30, `base from ${right} to ${left} after holding Left`);

  // The shot rises in the base's middle column, between the base and the bunkers' row.
  const column = left + 12;
  const lit_above_base = (shot) => {
    let lit = 0;
    for (let y = bunker_y + bunker_h; y < base_y; ++y) {
      lit += is_black(shot, column, y) ? 0 : 1;
    }
    return lit;
  };
  assert.equal(lit_above_base(await p.canvas()), 0);
  // Three or four frames: the shot has left the base and not yet reached the bunkers' row.
  await p.key_down('Space');
  await p.run_for(60);
  assert.ok(lit_above_base(await p.canvas()) > 0, 'no shot above the base');
  await p.key_up('Space');
});

test('a kill raises the score', async () => {
  const p = await start_game();
  const before = score_text_end(await p.canvas());
  // From its starting place the base fires up the gap left of the first bunker, into the
  // formation's first column.
  await p.hold('Space', 1500);
  await p.run_for(200);
  const after = score_text_end(await p.canvas());
  assert.ok(after > before, `score text ends at ${after}, ended at ${before}`);
});

test('a shot leaves a hole in a bunker', async () => {
  const p = await start_game();
  // Under the first bunker's middle.
  await p.hold('Right', 100);
  const shot = await p.canvas();
  const column = base_x(shot) + 12;
  assert.ok(column > first_bunker_x + 4 && column < first_bunker_x + bunker_w - 4);
  const solid_near_shot = (s) => {
    let solid = 0;
    for (let y = bunker_y; y < bunker_y + bunker_h; ++y) {
      for (let x = column - 3; x <= column + 3; ++x) {
        solid += is_black(s, x, y) ? 0 : 1;
      }
    }
    return solid;
  };
  const solid_before = solid_near_shot(shot);
  await p.key_down('Space');
  await p.run_for(20);
  await p.key_up('Space');
  // Past the burst's 200 ms, so only the hole is left.
  await p.run_for(400);
  const solid_after = solid_near_shot(await p.canvas());
  assert.ok(solid_after < solid_before, `bunker pixels near the shot: ${solid_before} then ${solid_after}`);
});

// Green pixels on the ground line's top row.
function ground_green(shot) {
  let green = 0;
  for (let x = 0; x < shot.width; ++x) {
    green += pixel(shot, x, ground_y).join() === '0,255,0' ? 1 : 0;
  }
  return green;
}

// Pixels of the bunkers' rows that differ from another snapshot's.
function bunker_changes(shot, other) {
  let changed = 0;
  for (let y = bunker_y; y < bunker_y + bunker_h; ++y) {
    for (let x = 0; x < shot.width; ++x) {
      changed += pixel(shot, x, y).join() === pixel(other, x, y).join() ? 0 : 1;
    }
  }
  return changed;
}

// What one bullet or shot can erode in the frame after the replay starts (its burst's mask),
// since bullets in flight carry over into the new game.
const one_erosion = 48;

test('left alone the game ends, and Space brings a fresh field', async () => {
  const p = await start_game();
  const first = await p.canvas();
  // A kill first, so that the score has something to go back from.
  await p.hold('Space', 1500);
  await p.run_for(200);
  assert.ok(score_text_end(await p.canvas()) > score_text_end(first), 'no kill');
  await p.run_for(20000);
  const worn = await p.canvas();
  assert.ok(ground_green(worn) < 400 - 6, `ground green ${ground_green(worn)} of 400 after 20 s`);
  assert.ok(bunker_changes(worn, first) > one_erosion, `bunkers changed ${bunker_changes(worn, first)}`);

  // The game-over screen: nothing on the screen but the panel's text.
  const game_over = `(() => {
    const c = document.getElementById('canvas');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let inside = 0;
    for (let y = 0; y < c.height; ++y) {
      for (let x = 0; x < c.width; ++x) {
        const i = (y * c.width + x) * 4;
        if (d[i] + d[i + 1] + d[i + 2] === 0) continue;
        if (x < ${panel.x} || x >= ${panel.x + panel.w} || y < ${panel.y} || y >= ${panel.y + panel.h}) return false;
        inside += 1;
      }
    }
    return inside > 50;
  })()`;
  assert.ok(await p.run_until(game_over, 240000, 5000), 'no game-over screen within 4 minutes');
  await p.run_for(500);
  assert.ok(await p.evaluate(game_over), 'the game-over screen did not stay');

  // The first frame of the new game: the ground whole again, the bunkers and the score back
  // as on the first frame.
  const field_back = `(() => {
    const c = document.getElementById('canvas');
    const d = c.getContext('2d').getImageData(0, ${ground_y}, c.width, 1).data;
    let green = 0;
    for (let i = 0; i < d.length; i += 4) green += d[i] === 0 && d[i + 1] === 255 && d[i + 2] === 0 ? 1 : 0;
    return green > c.width / 2;
  })()`;
  await p.key_down('Space');
  assert.ok(await p.run_until(field_back, 2000, 17), 'Space did not start a new game');
  await p.key_up('Space');
  const fresh = await p.canvas();
  assert.ok(ground_green(fresh) >= 400 - 6, `ground green ${ground_green(fresh)} of 400`);
  assert.ok(bunker_changes(fresh, first) <= one_erosion, `bunkers changed ${bunker_changes(fresh, first)}`);
  for (let y = score_box.y; y < score_box.y + score_box.h; ++y) {
    for (let x = 0; x < 400; ++x) {
      assert.deepEqual(pixel(fresh, x, y), pixel(first, x, y), `score and lives at (${x},${y})`);
    }
  }
});

test('Escape ends the game as on the desktop, and the page says so', async () => {
  const p = await start_game();
  await p.key_down('Escape');
  await p.run_for(50);
  await p.key_up('Escape');
  await p.run_for(50);
  assert.equal(await p.evaluate('document.getElementById("canvas").hidden'), true);
  assert.match(await p.evaluate('document.getElementById("status").textContent'), /has quit/);
  assert.ok(await p.printed('DEBUG:  Escape Key Exit Command Received '), p.console.join('\n'));
  assert.ok(await p.printed('DEBUG:  Libraries Cleaned Up, Exiting Program '));
});
