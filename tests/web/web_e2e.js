// SPDX-License-Identifier: MIT
// The web build played in headless Chromium, turn by turn: the page holds the
// game at Module.turnLimit, so keys land on the same turns as in the desktop
// reference frames (web_frames.cpp).
//   node web_e2e.js SITE_DIR FRAMES_DIR CHROMIUM
"use strict";
const fs = require("fs");
const os = require("os");
const path = require("path");
const { serve, launch, key } = require("../../web/chrome.js");

const [site, frames, browser] = process.argv.slice(2);
const MENU_TURN = 100, LEVEL_TURNS = 200, RACE_TURNS = 440;  // as in web_frames.cpp
// Canvas 2D keeps the sheets premultiplied by their alpha (a rounding SDL does
// not make) and blends with exact division by 255 where SDL shifts by 8: on
// translucent pixels (the countdown's banner) a channel is seen up to 4 off.
const CHANNEL_TOLERANCE = 4;
let failures = 0;
const check = (what, ok, detail = "") => {
  console.log(`${ok ? "ok  " : "FAIL"} ${what} ${detail}`);
  if (!ok) failures++;
};

async function main() {
  const server = await serve(site);
  const page = await launch(browser, fs.mkdtempSync(path.join(os.tmpdir(), "pelune-web-")));
  const until = (test) => page.eval(`new Promise((done, fail) => {
    const end = performance.now() + 30000;
    (function look() { try { if (${test}) return done(true); } catch (e) {}
      if (performance.now() > end) fail(new Error("timed out: " + ${JSON.stringify(test)}));
      else setTimeout(look, 20); })(); })`);
  const turn = () => page.eval("Module.state.turns");
  const turnTo = async (n) => { await page.eval(`Module.turnLimit = ${n}`); await until(`Module.state.turns >= ${n}`); };
  const turns = async (n) => turnTo((await turn()) + n);
  const press = async (name) => { await key(page, "keyDown", name); await turns(1); await key(page, "keyUp", name); await turns(1); };
  const start = async () => {
    await page.send("Page.navigate", { url: server.url });
    await until("document.getElementById('notice').textContent === 'press any key or tap to play'");
    await page.eval("Module.turnLimit = 0");
    await key(page, "keyDown", " "), await key(page, "keyUp", " ");  // starts the game, not played
    await until("Module.state && Module.state.screen === 1");
  };
  const newGame = async () => {
    await press("Enter"), await turns(125), await turns(2), await press("Enter");  // Easy
    check("Play then Easy opens level 1", await page.eval("Module.state.level === 1"));
  };
  const canvasDiff = async (file) => {
    const shot = (await page.eval('Array.from(Module.canvas.getContext("2d").getImageData(0, 0, 480, 272).data)'))
      .filter((_, i) => i % 4 !== 3);
    const want = fs.readFileSync(path.join(frames, file));
    let off = 0;
    for (let i = 0; i < want.length; i++) if (Math.abs(want[i] - shot[i]) > CHANNEL_TOLERANCE) off++;
    return off;
  };

  await start();
  check("the start screen then a key lead to the menu", true);
  await turnTo(MENU_TURN);
  const menus = [];
  for (let bg = 0; bg < 4; bg++) menus.push(await canvasDiff(`menu${bg}.rgb`));
  check("the menu is drawn as on the desktop", Math.min(...menus) === 0, `(channels off: ${menus})`);
  await newGame();
  await turns(LEVEL_TURNS);
  const level = await canvasDiff("level1.rgb");
  check("level 1 is drawn as on the desktop", level === 0, `(channels off: ${level})`);
  await turns(RACE_TURNS - LEVEL_TURNS);
  const x = await page.eval("Module.state.x");
  await key(page, "keyDown", "ArrowRight"), await turns(30);
  const moved = await page.eval("Module.state.x");
  await key(page, "keyUp", "ArrowRight"), await turns(1);
  check("Right held moves the runner", moved > x, `(from ${x} to ${moved})`);
  const racing = await page.eval("Module.state.racing");
  await page.eval("dispatchEvent(new Event('blur'))"), await turns(3);
  const paused = !(await page.eval("Module.state.racing"));
  await page.eval("dispatchEvent(new Event('focus'))"), await press(" ");
  check("leaving the page pauses the race", racing && paused && await page.eval("Module.state.racing"));
  for (let n = 1; n <= 9; n++) await press("Backspace"), await press("Enter");
  check("Backspace and Return pass the nine levels", await page.eval("Module.state.level === 10"));
  await turns(140), await press("Enter");
  check("Return leaves the ending for the menu, unlocked",
        await page.eval("Module.state.screen === 1 && Module.state.unlock === 1"));
  await turns(30);  // IndexedDB is written out in the background

  await start();
  check("the unlock survives a reload", await page.eval("Module.state.unlock === 1"));
  await newGame();
  for (let n = 1; n <= 9; n++) await press("Backspace"), await press("Enter");
  check("level 9 then leads to the bonus level", await page.eval("Module.state.level === 11"));

  await page.eval("Module.turnLimit = Infinity");
  await key(page, "keyDown", "Escape"), await key(page, "keyUp", "Escape");
  await until("document.getElementById('notice').textContent.startsWith('Thanks for playing')");
  await key(page, "keyDown", "Enter"), await key(page, "keyUp", "Enter");
  await until("Module.state.screen === 1 && Module.state.level === 0");
  check("Escape shows the closing screen, and a key starts again", true);
  await page.close();
  server.close();
}

main().then(() => process.exit(failures ? 1 : 0), (error) => { console.log(`FAIL ${error.stack}`); process.exit(1); });
