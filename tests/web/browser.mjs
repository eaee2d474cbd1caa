// browser.mjs: what the web tests share: a server for the built page on 127.0.0.1, Debian's
// Chromium headless in a fresh profile, driven over the DevTools protocol on a pipe (no npm
// package), and the page's canvas, title and console as the tests read them.
import { spawn } from 'node:child_process';
import { createReadStream, existsSync, mkdtempSync, rmSync, statSync } from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';

const content_types = {
  '.html': 'text/html',
  '.js': 'text/javascript',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.ttf': 'font/ttf',
};

// Serves `dir` on 127.0.0.1 at a free port; resolves to { url, close }.
export function serve(dir) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    const file = path.join(dir, name === '/' ? 'index.html' : path.normalize(name));
    if (!file.startsWith(dir) || !existsSync(file) || !statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, {
      'Content-Type': content_types[path.extname(file)] || 'application/octet-stream',
      'Cache-Control': 'no-store',
    });
    createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      resolve({
        url: `http://127.0.0.1:${server.address().port}/`,
        close: () => new Promise((done) => server.close(done)),
      });
    });
  });
}

// Flags that keep the browser from reaching anything but the test's own server.
const offline_flags = [
  '--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
  '--no-first-run',
  '--disable-default-apps',
  '--disable-extensions',
  '--no-default-browser-check',
  '--metrics-recording-only',
  '--password-store=basic',
  '--use-mock-keychain',
];

// A headless Chromium with its own profile folder (a new one unless `profile` is given).
export class browser {
  constructor(child, profile, owns_profile) {
    this.child = child;
    this.profile = profile;
    this.owns_profile = owns_profile;
    this.next_id = 1;
    this.pending = new Map();
    this.listeners = [];
    this.buffer = Buffer.alloc(0);
    this.output = '';
    child.stdio[4].on('data', (chunk) => this.receive(chunk));
    child.stderr.on('data', (chunk) => {
      this.output += chunk;
    });
    this.exited = new Promise((resolve) => child.on('exit', resolve));
  }

  static async launch(profile = null) {
    const owns_profile = profile === null;
    const folder = profile ?? mkdtempSync(path.join(os.tmpdir(), 'vexlorn-chromium-'));
    const flags = [
      '--headless',
      '--remote-debugging-pipe',
      `--user-data-dir=${folder}`,
      '--disable-gpu',
      '--window-size=1280,960',
      '--autoplay-policy=no-user-gesture-required',
      ...offline_flags,
    ];
    if (process.getuid && process.getuid() === 0) {
      flags.push('--no-sandbox');
    }
    flags.push('about:blank');
    const child = spawn(process.env.CHROMIUM || '/usr/bin/chromium', flags, {
      stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'],
    });
    const b = new browser(child, folder, owns_profile);
    await b.send('Target.setDiscoverTargets', { discover: true });
    return b;
  }

  receive(chunk) {
    this.buffer = Buffer.concat([this.buffer, chunk]);
    let end;
    while ((end = this.buffer.indexOf(0)) >= 0) {
      const message = JSON.parse(this.buffer.subarray(0, end).toString('utf8'));
      this.buffer = this.buffer.subarray(end + 1);
      if (message.id !== undefined && this.pending.has(message.id)) {
        const { resolve, reject, method } = this.pending.get(message.id);
        this.pending.delete(message.id);
        if (message.error) {
          reject(new Error(`${method}: ${message.error.message}`));
        } else {
          resolve(message.result);
        }
      } else if (message.method) {
        for (const listener of this.listeners) {
          listener(message);
        }
      }
    }
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.next_id++;
    const message = { id, method, params };
    if (sessionId) {
      message.sessionId = sessionId;
    }
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject, method });
      this.child.stdio[3].write(JSON.stringify(message) + '\0');
    });
  }

  // Resolves with the first event named `method` (of the session, if given) that `test` accepts.
  wait_for(method, sessionId = undefined, test = () => true) {
    return new Promise((resolve) => {
      const listener = (message) => {
        if (message.method === method && (sessionId === undefined || message.sessionId === sessionId) &&
            test(message.params)) {
          this.listeners.splice(this.listeners.indexOf(listener), 1);
          resolve(message.params);
        }
      };
      this.listeners.push(listener);
    });
  }

  async new_page() {
    const { targetId } = await this.send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true });
    const p = new page(this, sessionId);
    await p.send('Page.enable');
    await p.send('Runtime.enable');
    return p;
  }

  async close() {
    try {
      await Promise.race([this.send('Browser.close'), new Promise((r) => setTimeout(r, 5000))]);
    } catch {
      // Already gone.
    }
    const timer = setTimeout(() => this.child.kill('SIGKILL'), 5000);
    await this.exited;
    clearTimeout(timer);
    if (this.owns_profile) {
      rmSync(this.profile, { recursive: true, force: true });
    }
  }
}

// One tab, with the game's clock on Chromium's virtual time: time moves only when the test
// lets it, and as fast as the machine runs the frames.
export class page {
  constructor(b, sessionId) {
    this.browser = b;
    this.sessionId = sessionId;
    this.console = [];
    this.errors = [];
    b.listeners.push((message) => {
      if (message.sessionId !== sessionId) {
        return;
      }
      if (message.method === 'Runtime.consoleAPICalled') {
        this.console.push(message.params.args.map((a) => a.value ?? a.description).join(' '));
      } else if (message.method === 'Runtime.exceptionThrown') {
        this.errors.push(message.params.exceptionDetails.exception?.description ??
                         message.params.exceptionDetails.text);
      }
    });
  }

  send(method, params = {}) {
    return this.browser.send(method, params, this.sessionId);
  }

  // Resolves true once the page has printed `line` (console messages reach the test as events
  // of their own, which may trail the page's state); false if it has not after `limit_ms`.
  async printed(line, limit_ms = 10000) {
    for (let waited = 0; waited < limit_ms; waited += 20) {
      if (this.console.includes(line)) {
        return true;
      }
      await new Promise((resolve) => setTimeout(resolve, 20));
    }
    return this.console.includes(line);
  }

  async evaluate(expression) {
    const result = await this.send('Runtime.evaluate', {
      expression,
      returnByValue: true,
      awaitPromise: true,
    });
    if (result.exceptionDetails) {
      throw new Error(`${expression}: ${result.exceptionDetails.exception?.description ??
                      result.exceptionDetails.text}`);
    }
    return result.result.value;
  }

  // Runs `ms` of virtual time (fetches in flight hold the clock) and returns when it is spent.
  async run_for(ms) {
    const expired = this.browser.wait_for('Emulation.virtualTimeBudgetExpired', this.sessionId);
    await this.send('Emulation.setVirtualTimePolicy', {
      policy: 'pauseIfNetworkFetchesPending',
      budget: ms,
    });
    await expired;
  }

  // Opens `url` with the clock stopped, so that nothing runs until the test gives it time.
  async open(url, before_load = '') {
    await this.send('Emulation.setVirtualTimePolicy', { policy: 'pause' });
    if (!this.counting_keys) {
      await this.send('Page.addScriptToEvaluateOnNewDocument', { source: count_keys });
      this.counting_keys = true;
    }
    if (before_load) {
      await this.send('Page.addScriptToEvaluateOnNewDocument', { source: before_load });
    }
    await this.send('Page.navigate', { url });
  }

  // Gives the page virtual time in steps until `expression` is true; false after `limit_ms`.
  async run_until(expression, limit_ms, step_ms = 250) {
    for (let spent = 0; spent <= limit_ms; spent += step_ms) {
      if (await this.evaluate(expression)) {
        return true;
      }
      await this.run_for(step_ms);
    }
    return false;
  }

  // Gives the page virtual time in small steps until the game has drawn its first frame.
  // Compiling the wasm is no network fetch, so virtual time runs on while it lasts: the bound
  // is the machine's own time, generous for a loaded machine.
  async first_frame(limit_ms = 120000) {
    const started = Date.now();
    while (Date.now() - started < limit_ms) {
      if (await this.evaluate('window.vexlorn_page !== undefined && vexlorn_page.frames > 0')) {
        return true;
      }
      await this.run_for(50);
    }
    return false;
  }

  // A key event reaches the page's document some time after Chromium has taken it, and the
  // game's clock must not run on before it has: each waits until the document has seen it.
  async key_event(type, key) {
    const seen = await this.evaluate('window.keys_seen');
    await this.send('Input.dispatchKeyEvent', { type, ...keys[key] });
    for (let waited = 0; waited < 10000; waited += 5) {
      if (await this.evaluate('window.keys_seen') > seen) {
        return;
      }
      await new Promise((resolve) => setTimeout(resolve, 5));
    }
    throw new Error(`the page did not see ${type} ${key}`);
  }

  key_down(key) {
    return this.key_event('keyDown', key);
  }

  key_up(key) {
    return this.key_event('keyUp', key);
  }

  // Holds `key` for `ms` of game time.
  async hold(key, ms) {
    await this.key_down(key);
    await this.run_for(ms);
    await this.key_up(key);
  }

  // The canvas as { width, height, rgba } at this moment.
  async canvas() {
    const value = await this.evaluate(`(() => {
      const c = document.getElementById('canvas');
      const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
      let s = '';
      for (let i = 0; i < d.length; i += 0x8000) {
        s += String.fromCharCode.apply(null, d.subarray(i, i + 0x8000));
      }
      return { width: c.width, height: c.height, rgba: btoa(s) };
    })()`);
    return { width: value.width, height: value.height, rgba: Buffer.from(value.rgba, 'base64') };
  }

  title() {
    return this.evaluate('document.title');
  }
}

const count_keys = `
  window.keys_seen = 0;
  const count_key = () => { window.keys_seen += 1; };
  document.addEventListener('keydown', count_key, true);
  document.addEventListener('keyup', count_key, true);`;

const keys = {
  Left: { key: 'ArrowLeft', code: 'ArrowLeft', windowsVirtualKeyCode: 37 },
  Right: { key: 'ArrowRight', code: 'ArrowRight', windowsVirtualKeyCode: 39 },
  Up: { key: 'ArrowUp', code: 'ArrowUp', windowsVirtualKeyCode: 38 },
  Space: { key: ' ', code: 'Space', windowsVirtualKeyCode: 32 },
  Escape: { key: 'Escape', code: 'Escape', windowsVirtualKeyCode: 27 },
};

// The pixel at (x, y) of a canvas snapshot as [r, g, b].
export function pixel(shot, x, y) {
  const i = (y * shot.width + x) * 4;
  return [shot.rgba[i], shot.rgba[i + 1], shot.rgba[i + 2]];
}
