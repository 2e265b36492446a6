// SPDX-License-Identifier: MIT
// A static file server and a headless Chromium driven through the DevTools
// protocol on a pipe (--remote-debugging-pipe), with nothing but Node itself:
// the browser test and the web measures use it on a fresh machine with no npm
// step.
"use strict";
const http = require("http");
const fs = require("fs");
const path = require("path");
const zlib = require("zlib");
const { spawn } = require("child_process");

const TYPES = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm",
                ".data": "application/octet-stream", ".png": "image/png" };

// Serves `dir` on 127.0.0.1 (a free port), gzip-compressed as static hosts do;
// `sent` counts the bytes that went over the wire.
function serve(dir) {
  const server = http.createServer((request, response) => {
    const file = path.join(dir, path.normalize(decodeURIComponent(request.url.split("?")[0])));
    const name = file.endsWith("/") ? file + "index.html" : file;
    fs.readFile(name, (error, body) => {
      if (error) { response.writeHead(404).end(); return; }
      const gzip = /gzip/.test(request.headers["accept-encoding"] || "");
      const out = gzip ? zlib.gzipSync(body, { level: 9 }) : body;
      server.sent += out.length;
      response.writeHead(200, { "Content-Type": TYPES[path.extname(name)] || "application/octet-stream",
                                "Content-Encoding": gzip ? "gzip" : "identity", "Cache-Control": "no-cache" });
      response.end(out);
    });
  });
  server.sent = 0;
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => {
    server.url = `http://127.0.0.1:${server.address().port}/`;
    resolve(server);
  }));
}

// Starts the browser with a profile of its own in `profile` (kept between
// launches, as a player's is) and opens one page; returns { send, eval, close }.
async function launch(browser, profile) {
  const args = ["--headless=new", "--no-sandbox", "--remote-debugging-pipe", "--no-first-run",
                "--disable-gpu", "--disable-dev-shm-usage", "--mute-audio", "--window-size=1280,800", `--user-data-dir=${profile}`, "about:blank"];
  const child = spawn(browser, args, { stdio: ["ignore", "ignore", "pipe", "pipe", "pipe"] });
  let log = "";
  child.stderr.on("data", (data) => { log = (log + data).slice(-4000); });
  const waiting = new Map();
  let next = 0, buffer = "";
  child.stdio[4].on("data", (data) => {
    buffer += data;
    for (let end; (end = buffer.indexOf("\0")) >= 0; buffer = buffer.slice(end + 1)) {
      const message = JSON.parse(buffer.slice(0, end));
      const done = waiting.get(message.id);
      if (message.method === "Runtime.consoleAPICalled") {
        console.log(`  page: ${message.params.args.map((arg) => arg.value).join(" ")}`);
      } else if (message.method === "Runtime.exceptionThrown") {
        console.log(`  page error: ${JSON.stringify(message.params.exceptionDetails.exception).slice(0, 800)}`);
      }
      if (!done) continue;
      waiting.delete(message.id);
      if (message.error) done.reject(new Error(JSON.stringify(message.error)));
      else done.resolve(message.result);
    }
  });
  child.on("exit", () => {
    for (const done of waiting.values()) done.reject(new Error(`the browser quit: ${log}`));
  });
  const call = (method, params = {}, sessionId) => new Promise((resolve, reject) => {
    waiting.set(++next, { resolve, reject });
    child.stdio[3].write(JSON.stringify({ id: next, method, params, sessionId }) + "\0");
  });
  const { targetInfos } = await call("Target.getTargets");
  const page = targetInfos.find((target) => target.type === "page");
  const { sessionId } = await call("Target.attachToTarget", { targetId: page.targetId, flatten: true });
  const send = (method, params) => call(method, params, sessionId);
  const evaluate = async (expression) => {
    const { result, exceptionDetails } = await send("Runtime.evaluate",
      { expression, awaitPromise: true, returnByValue: true });
    if (exceptionDetails) throw new Error(`${expression}: ${JSON.stringify(exceptionDetails)}`);
    return result.value;
  };
  const close = () => new Promise((resolve) => {
    if (child.exitCode !== null) { resolve(); return; }
    child.on("exit", resolve);
    call("Browser.close").catch(() => child.kill());
  });
  return { send, eval: evaluate, close };
}

// Key presses as a keyboard makes them, by DOM key name.
const KEYS = { Enter: 13, ArrowRight: 39, ArrowUp: 38, ArrowDown: 40, Backspace: 8, Escape: 27, " ": 32 };
function key(page, type, name) {
  return page.send("Input.dispatchKeyEvent", { type, key: name, windowsVirtualKeyCode: KEYS[name],
                                               code: name === " " ? "Space" : name });
}

// The game's page (web/index.html) driven turn by turn: the page holds the game
// at Module.turnLimit, so every key lands on a known turn.
function turnByTurn(page) {
  const until = (test) => page.eval(`new Promise((done, fail) => {
    const end = performance.now() + 30000;
    (function look() { try { if (${test}) return done(true); } catch (e) {}
      if (performance.now() > end) fail(new Error("timed out: " + ${JSON.stringify(test)}));
      else setTimeout(look, 20); })(); })`);
  const turnTo = async (n) => { await page.eval(`Module.turnLimit = ${n}`); await until(`Module.state.turns >= ${n}`); };
  const turns = async (n) => turnTo((await page.eval("Module.state.turns")) + n);
  // The key-down in one turn, the key-up in the next.
  const press = async (name) => { await key(page, "keyDown", name), await turns(1), await key(page, "keyUp", name), await turns(1); };
  // The game started from the page's first screen, held before its first turn.
  const start = async (url) => {
    await page.send("Page.navigate", { url });
    await until("document.getElementById('notice').textContent === 'press any key or tap to play'");
    await page.eval("Module.turnLimit = 0");
    await key(page, "keyDown", " "), await key(page, "keyUp", " ");
    await until("Module.state");
  };
  // The canvas as RGB bytes.
  const canvas = async () => (await page.eval('Array.from(Module.canvas.getContext("2d").getImageData(0, 0, 480, 272).data)'))
    .filter((_, i) => i % 4 !== 3);
  return { until, turnTo, turns, press, start, canvas };
}

module.exports = { serve, launch, key, turnByTurn };
