// firefox-esr for the Python tests, driven by puppeteer-core over WebDriver BiDi (Debian packages
// no geckodriver). One JSON request a line on stdin, one JSON answer a line on stdout:
//   {"op": "goto", "url": ...}  {"op": "evaluate", "expression": ...}  {"op": "click", "id": ...}
//   {"op": "type", "text": ...}  {"op": "key", "key": "Tab"}  {"op": "pdf", "path": ...}
//   {"op": "console"}  {"op": "viewport", "width": w, "height": h}  {"op": "close"}
// Answers: {"ok": true, "value": ...} or {"ok": false, "error": "..."}.
// Evaluation takes an expression, never a function: puppeteer would send a function's source to
// be built inside the page, which the page's content policy (no eval) may refuse.
//   firefox_bridge.mjs NODE_MODULES_DIR [--offline] [--width W --height H]
import { createRequire } from "node:module";
import { join } from "node:path";
import { createInterface } from "node:readline";

const args = process.argv.slice(2);
const option = (name, fallback) => {
  const i = args.indexOf(name);
  return i >= 0 ? args[i + 1] : fallback;
};
// An ES module ignores NODE_PATH: puppeteer-core is looked up where the build installed it.
const require = createRequire(join(args[0], "resolve-from-here.js"));
const puppeteer = require("puppeteer-core");

const prefs = {};
if (args.includes("--offline")) {
  // Every request to the network goes through a proxy on a port nobody listens on.
  Object.assign(prefs, {
    "network.proxy.type": 1, "network.proxy.http": "127.0.0.1", "network.proxy.http_port": 9,
    "network.proxy.ssl": "127.0.0.1", "network.proxy.ssl_port": 9, "network.proxy.allow_hijacking_localhost": true,
  });
}
const browser = await puppeteer.launch({
  browser: "firefox",
  executablePath: option("--firefox", "/usr/bin/firefox-esr"),
  headless: true,
  protocol: "webDriverBiDi",
  extraPrefsFirefox: Object.assign({ "intl.accept_languages": "ja" }, prefs),
  defaultViewport: { width: Number(option("--width", 1366)), height: Number(option("--height", 768)) },
});
// A tab of our own: the one Firefox starts with never gets the focus, so it would send no focus,
// blur or click-by-Enter events (and a digit field left blank would never turn into 0).
const first = await browser.pages();
const page = await browser.newPage();
for (const p of first) await p.close();
let messages = [];
page.on("console", (m) => messages.push({ type: m.type(), text: m.text() }));
page.on("pageerror", (e) => messages.push({ type: "error", text: String(e && e.message || e) }));

const ops = {
  async goto(r) {
    await page.goto(r.url, { waitUntil: "load" });
    return null;
  },
  async evaluate(r) {
    return await page.evaluate(r.expression);
  },
  async click(r) {
    await page.click("#" + r.id);
    return null;
  },
  async type(r) {
    await page.keyboard.type(r.text);
    return null;
  },
  async key(r) {
    await page.keyboard.press(r.key);
    return null;
  },
  async pdf(r) {
    await page.pdf({ path: r.path, preferCSSPageSize: true, printBackground: false, timeout: 300000 });
    return r.path;
  },
  async console(r) {
    const all = messages;
    if (r.clear) messages = [];
    return all;
  },
  async viewport(r) {
    await page.setViewport({ width: r.width, height: r.height });
    return null;
  },
};

const out = (answer) => process.stdout.write(JSON.stringify(answer) + "\n");
const lines = createInterface({ input: process.stdin });
for await (const line of lines) {
  if (!line.trim()) continue;
  const request = JSON.parse(line);
  if (request.op === "close") break;
  try {
    const value = await ops[request.op](request);
    out({ ok: true, value: value === undefined ? null : value });
  } catch (e) {
    out({ ok: false, error: String(e && e.stack || e) });
  }
}
await browser.close();
out({ ok: true, value: null });
// stdin may still be open, and would keep Node waiting.
process.exit(0);
