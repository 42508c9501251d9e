// The page against the native programs, as ratios: the tick loop (the same
// program natively, under node and in Chromium), and the page itself: how
// soon it is ready, a 2,000,000-pulse move with live readouts against
// tarvex-batch, and how soon Stop ends a run. Run by tools/bench-web.
import { execFileSync } from "node:child_process";
import { readFileSync } from "node:fs";
import { resolve } from "node:path";
import { pathToFileURL } from "node:url";

const root = resolve(new URL("../..", import.meta.url).pathname);
const { chromium } = await import(pathToFileURL(`${root}/tests/web/node_modules/playwright-core/index.mjs`));
// Other builds of the same programs may be named, to compare them side by
// side: TARVEX_NATIVE_TIMES, TARVEX_WASM_TIMES, TARVEX_PAGE.
const nativeTimes = process.env.TARVEX_NATIVE_TIMES ?? `${root}/build/release/bench/web/tick_loop_times`;
const wasmTimes = process.env.TARVEX_WASM_TIMES ?? `${root}/build/web/bench/web/tick_loop_times.js`;
const batch = `${root}/build/release/cli/tarvex-batch`;
const page = pathToFileURL(process.env.TARVEX_PAGE ?? `${root}/build/web/tarvex-sim.html`).href;

const parse = (text) => Object.fromEntries(text.trim().split("\n").map((l) => l.split(" ")).map(([k, v]) => [k, Number(v)]));
const native = parse(execFileSync(nativeTimes).toString());
const node = parse(execFileSync("node", ["--no-experimental-fetch", wasmTimes]).toString());

const browser = await chromium.launch({
  executablePath: "/usr/bin/chromium",
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync"],
});
const scratch = await browser.newPage({ bypassCSP: true });
const lines = [];
const done = new Promise((ok) => scratch.on("console", (m) => { lines.push(m.text()); if (lines.length === 2) ok(); }));
await scratch.setContent(`<script>${readFileSync(wasmTimes, "utf8")}</script>`);
await done;
const chromiumTimes = parse(lines.join("\n"));

const view = await browser.newPage({ bypassCSP: true });
await view.goto(page);
await view.waitForSelector("body[data-ready=true]");
const readyMs = await view.evaluate(() => performance.now());
await view.fill("#Text6", "2000000");
const pageRuns = [];
for (let i = 1; i <= 3; ++i) {
  pageRuns.push(await view.evaluate(async (i) => {
    const start = performance.now();
    document.getElementById("Command1").click();
    while (Number(document.body.dataset.runs || 0) < i)
      await new Promise((r) => requestAnimationFrame(r));
    return performance.now() - start;
  }, i));
}
const stops = [];
for (let i = 4; i <= 6; ++i) {
  stops.push(await view.evaluate(async (i) => {
    document.getElementById("Command1").click();
    await new Promise((r) => setTimeout(r, 200));
    const click = performance.now();
    document.getElementById("Command2").click();
    while (Number(document.body.dataset.runs || 0) < i) await new Promise((r) => setTimeout(r, 0));
    return performance.now() - click;
  }, i));
}
await browser.close();

const batchRuns = [];
for (let i = 0; i < 3; ++i) {
  const start = process.hrtime.bigint();
  execFileSync(batch, ["--set", "Text6=2000000"]);
  batchRuns.push(Number(process.hrtime.bigint() - start) / 1e6);
}

const best = (xs) => Math.min(...xs);
const f = (x) => x.toFixed(2);
for (const mode of Object.keys(native))
  console.log(`${mode}: native ${native[mode]} ms, node ${f(node[mode] / native[mode])}x, Chromium ${f(chromiumTimes[mode] / native[mode])}x`);
console.log(`page ready after ${readyMs.toFixed(0)} ms (from navigation)`);
console.log(`2,000,000 pulses: tarvex-batch ${best(batchRuns).toFixed(0)} ms, page ${best(pageRuns).toFixed(0)} ms ` +
            `(${f(best(pageRuns) / best(batchRuns))}x; limit 1.5x + 150 ms = ${(1.5 * best(batchRuns) + 150).toFixed(0)} ms)`);
console.log(`Stop: the run ended ${stops.map((s) => s.toFixed(1)).join(", ")} ms after the click`);
