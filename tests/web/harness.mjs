// Shared by the browser end-to-end test and the web benchmark: serves a
// build directory on 127.0.0.1 and opens it in the system's headless
// Chromium through puppeteer-core.
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';

import puppeteer from 'puppeteer-core';

export const chromiumPath = process.env.TAVELOND_CHROMIUM || '/usr/bin/chromium';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
};

// A static server for `root` on 127.0.0.1, on a port the system picks.
export async function serve(root) {
  const server = createServer((request, response) => {
    let path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    if (path.endsWith('/')) path += 'index.html';
    const file = normalize(join(root, path));
    if (!file.startsWith(normalize(root))) {
      response.writeHead(403).end();
      return;
    }
    try {
      const body = readFileSync(file);
      response.writeHead(200, { 'Content-Type': types[extname(file)] || 'application/octet-stream' });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const { port } = server.address();
  return { url: `http://127.0.0.1:${port}/`, close: () => new Promise((resolve) => server.close(resolve)) };
}

// Headless Chromium with a fresh profile that is removed on close.
export async function launch(extraArgs = []) {
  const profile = mkdtempSync(join(tmpdir(), 'tavelond-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromiumPath,
    headless: true,
    args: [
      '--headless',
      '--no-sandbox',
      '--disable-gpu',
      '--disable-quic',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      `--user-data-dir=${profile}`,
      ...extraArgs,
    ],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    try {
      await close();
    } finally {
      rmSync(profile, { recursive: true, force: true });
    }
  };
  return browser;
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Opens the game's page and waits for its first steps.
export async function openGame(browser, url, { before } = {}) {
  const page = await browser.newPage();
  await page.setViewport({ width: 900, height: 700 });
  const messages = [];
  page.on('console', (m) => messages.push(`${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => messages.push(`pageerror: ${e.message}`));
  if (before) await page.evaluateOnNewDocument(before);
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction(() => window.Module && Module.page && Module.page.steps >= 3, { timeout: 20000 });
  return { page, messages };
}

// A display of `hz`: requestAnimationFrame calls back with exact refresh
// timestamps, k / hz seconds after the start.
export function fakeDisplay(hz) {
  const period = 1000 / hz;
  const start = performance.now();
  let k = 0;
  window.requestAnimationFrame = (callback) => {
    k += 1;
    const at = k * period;
    return setTimeout(() => callback(start + at), Math.max(0, start + at - performance.now()));
  };
}
