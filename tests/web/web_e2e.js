// SPDX-License-Identifier: MIT
// The web build played in headless Chromium turn by turn, its canvas compared
// with the desktop's frames (web_frames.cpp) at the same turns.
//   node web_e2e.js SITE_DIR FRAMES_DIR CHROMIUM
"use strict";
const fs = require("fs");
const os = require("os");
const path = require("path");
const { serve, launch, key, turnByTurn } = require("../../web/chrome.js");

const [site, frames, browser] = process.argv.slice(2);
// Canvas 2D keeps the sheets premultiplied by their alpha (a rounding SDL does
// not make) and blends with exact division by 255 where SDL shifts by 8: on
// translucent pixels (the countdown's banner) a channel is seen up to 4 off.
const CHANNEL_TOLERANCE = 4;
let failures = 0;
const check = (what, ok, detail = "") => {
  console.log(`${ok ? "ok  " : "FAIL"} ${what} ${detail}`);
  failures += ok ? 0 : 1;
};

async function main() {
  const server = await serve(site);
  const page = await launch(browser, fs.mkdtempSync(path.join(os.tmpdir(), "pelune-web-")));
  const { until, turnTo, turns, press, start, canvas } = turnByTurn(page);
  const state = (test) => page.eval(`with (Module.state) ${test}`);
  const offFrom = async (file) => {
    const [shot, want] = [await canvas(), fs.readFileSync(path.join(frames, file))];
    return want.filter((value, i) => Math.abs(value - shot[i]) > CHANNEL_TOLERANCE).length;
  };
  const easy = async () => { await press("Enter"), await turns(127), await press("Enter"); };
  const passNine = async () => { for (let n = 1; n <= 9; n++) await press("Backspace"), await press("Enter"); };

  await start(server.url);
  await turnTo(100);
  const menus = [];
  for (const bg of [0, 1, 2, 3]) menus.push(await offFrom(`menu${bg}.rgb`));
  check("a key on the first screen opens the menu, drawn as on the desktop", Math.min(...menus) === 0, `(channels off: ${menus})`);
  await easy(), await turns(200);
  const off = await offFrom("level1.rgb");
  check("Play then Easy opens level 1, drawn as on the desktop", await state("level === 1") && off === 0, `(channels off: ${off})`);
  await turns(240);
  const x = await state("x");
  await key(page, "keyDown", "ArrowRight"), await turns(30);
  const moved = await state("x");
  await key(page, "keyUp", "ArrowRight"), await turns(1);
  check("Right held moves the runner", moved > x, `(from ${x} to ${moved})`);
  const racing = await state("racing");
  await page.eval("dispatchEvent(new Event('blur')), dispatchEvent(new Event('focus'))"), await turns(3);
  const paused = !(await state("racing"));
  await press(" ");
  check("leaving the page pauses the race", racing && paused && await state("racing"));
  await passNine(), await turns(140), await press("Enter");
  check("Backspace through the levels, Return on the ending: the menu, unlocked", await state("screen === 1 && unlock === 1"));
  await turns(30);  // IndexedDB is written out in the background

  await start(server.url);
  await easy(), await passNine();
  check("after a reload level 9 leads to the bonus level", await state("level === 11"));
  await page.eval("Module.turnLimit = Infinity");
  await key(page, "keyDown", "Escape"), await key(page, "keyUp", "Escape");
  await until("document.getElementById('notice').textContent.startsWith('Thanks for playing')");
  await key(page, "keyDown", "Enter"), await key(page, "keyUp", "Enter");
  await until("Module.state.screen === 1 && Module.state.level === 0");
  check("Escape shows the closing screen, and a key starts again", true);
  await page.close(), server.close();
}

main().then(() => process.exit(failures ? 1 : 0), (error) => { console.log(`FAIL ${error.stack}`); process.exit(1); });
