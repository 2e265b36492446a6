// SPDX-License-Identifier: MIT
// The figures of bench/measure_web.sh: node measure_web.js SITE FLOOR RUNS
"use strict";
const fs = require("fs");
const os = require("os");
const path = require("path");
const { serve, launch } = require("../web/chrome.js");

const [site, floor, runs] = process.argv.slice(2);
const TURN_SECONDS = 20;
// Injected before the page's own scripts: a first key as soon as the page asks
// for one, and the time of the first frame the game draws.
const WATCH = `(function look() {
  const notice = document.getElementById("notice");
  if (notice && notice.textContent.startsWith("press") && !window.keyAt) {
    window.keyAt = performance.now();
    dispatchEvent(new KeyboardEvent("keydown", { key: " ", bubbles: true }));
  }
  if (window.Module && Module.state && !Module.firstFrame) Module.firstFrame = performance.now();
  if (!window.Module || !Module.firstFrame) requestAnimationFrame(look); })();`;

const stats = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return `min ${sorted[0].toFixed(2)}  median ${sorted[sorted.length >> 1].toFixed(2)}  max ${sorted[sorted.length - 1].toFixed(2)}`;
};

async function firstFrame(page, url) {
  await page.send("Page.navigate", { url });
  for (;;) {
    const at = await page.eval("window.Module && Module.firstFrame");
    if (at) return at;
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

async function main() {
  const game = await serve(site), base = await serve(floor);
  const figures = { turns: [], game: [], keyToFrame: [], floor: [], bytes: [] };
  for (let run = 0; run < runs; run++) {
    const page = await launch("chromium", fs.mkdtempSync(path.join(os.tmpdir(), "pelune-measure-")));
    await page.send("Page.enable");
    await page.send("Page.addScriptToEvaluateOnNewDocument", { source: WATCH });
    figures.floor.push(await firstFrame(page, base.url));
    game.sent = 0;
    figures.game.push(await firstFrame(page, game.url));
    figures.keyToFrame.push(figures.game.at(-1) - await page.eval("window.keyAt"));
    figures.bytes.push(game.sent / 1e6);
    figures.turns.push(await page.eval(`new Promise((done) => {
      const turns = Module.state.turns, start = performance.now();
      setTimeout(() => done((Module.state.turns - turns) * 1000 / (performance.now() - start)), ${TURN_SECONDS * 1000});
    })`));
    await page.close();
  }
  game.close(), base.close();
  console.log(`turns per second over ${TURN_SECONDS} s:      ${stats(figures.turns)}   (target 60 +- 0.5)`);
  console.log(`load to first frame, ms:        ${stats(figures.game)}`);
  console.log(`  of which start key to frame:  ${stats(figures.keyToFrame)}`);
  console.log(`floor page, load to frame, ms:  ${stats(figures.floor)}`);
  console.log(`first visit, MB gzip:           ${stats(figures.bytes)}   (target <= 2.5)`);
}
main().catch((error) => { console.error(error); process.exit(1); });
