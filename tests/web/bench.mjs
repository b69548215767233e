// The web benchmark (scripts/web-bench.sh): frame rate and script time per
// frame of the browser build in headless Chromium, and the pacing at
// simulated display rates.
//   node bench.mjs BUILD_WEB_DIR [SECONDS]
import { fakeDisplay, launch, openGame, serve, sleep } from './harness.mjs';

const [buildDir, secondsArg] = process.argv.slice(2);
const seconds = Number(secondsArg || 10);

const quantile = (sorted, q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];

// Steps and their script times over `seconds` of play, after one second
// to warm up.
async function measure(page) {
  await sleep(1000);
  const from = await page.evaluate(() => Module.page.steps);
  const t0 = Date.now();
  await sleep(seconds * 1000);
  const wall = (Date.now() - t0) / 1000;
  return page.evaluate((from, wall) => {
    const p = Module.page;
    const n = p.steps - from;
    return { steps: n, wall, script: p.scriptMs.slice(-n), times: p.times.slice(-n) };
  }, from, wall);
}

function summary(m) {
  const script = [...m.script].sort((a, b) => a - b);
  const gaps = [];
  for (let i = 1; i < m.times.length; i++) gaps.push(m.times[i] - m.times[i - 1]);
  gaps.sort((a, b) => a - b);
  const mean = script.reduce((a, b) => a + b, 0) / script.length;
  return {
    fps: m.steps / m.wall,
    mean,
    median: quantile(script, 0.5),
    p95: quantile(script, 0.95),
    gapMedian: quantile(gaps, 0.5),
    gapMax: gaps[gaps.length - 1],
  };
}

const server = await serve(buildDir);
const browser = await launch();
try {
  console.log('case                      steps/s  script ms/frame: mean  median   p95   step interval ms: median   max');
  for (const joints of [0, 1000, 2000]) {
    const { page } = await openGame(browser, `${server.url}bench.html?joints=${joints}`, {});
    const s = summary(await measure(page));
    const name = joints === 0 ? 'first scene' : `${joints} joints (+4 anchors)`;
    console.log(
      `${name.padEnd(26)}${s.fps.toFixed(1).padStart(7)}${s.mean.toFixed(2).padStart(24)}${s.median.toFixed(2).padStart(8)}` +
        `${s.p95.toFixed(2).padStart(6)}${s.gapMedian.toFixed(2).padStart(27)}${s.gapMax.toFixed(2).padStart(6)}`);
    await page.close();
  }

  console.log('\nsimulated display   steps per simulated second   refreshes between steps (count)');
  for (const hz of [60, 75, 120, 144, 165, 240]) {
    const { page } = await openGame(browser, server.url, { before: `(${fakeDisplay})(${hz})` });
    const m = await measure(page);
    const span = (m.times[m.times.length - 1] - m.times[0]) / 1000;
    const counts = {};
    for (let i = 1; i < m.times.length; i++) {
      const r = Math.round(((m.times[i] - m.times[i - 1]) * hz) / 1000);
      counts[r] = (counts[r] || 0) + 1;
    }
    const cadence = Object.entries(counts).map(([r, c]) => `${r}: ${c}`).join(', ');
    console.log(`${`${hz} Hz`.padEnd(20)}${((m.times.length - 1) / span).toFixed(2).padStart(26)}   ${cadence}`);
    await page.close();
  }
} finally {
  await browser.close();
  await server.close();
}
