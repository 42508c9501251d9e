// The page in a real browser (Debian's Chromium, headless), driven as a user
// drives it: clicks, keys, files chosen and dropped, downloads. What the page
// shows is held against the batch runner's output for the same run: the
// readouts against its --json, the graph's pixels against its --plot PNG,
// the data log byte for byte.
//
// TARVEX_PAGE names the page, TARVEX_BATCH the native batch runner.
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";
import { after, before, describe, it } from "node:test";
import { pathToFileURL } from "node:url";

import { chromium } from "playwright-core";

const pagePath = resolve(process.env.TARVEX_PAGE ?? "build/web/tarvex-sim.html");
const batch = resolve(process.env.TARVEX_BATCH ?? "build/release/cli/tarvex-batch");
const readoutNames = ["Text7", "Text9", "Text12", "Text14", "Text15", "Text16", "Text17"];

let browser;
let work;

before(async () => {
  work = mkdtempSync(join(tmpdir(), "tarvex-page-"));
  browser = await chromium.launch({
    executablePath: "/usr/bin/chromium",
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
});
after(async () => {
  await browser?.close();
  rmSync(work, { recursive: true, force: true });
});

// The batch runner's run in a folder of its own: its JSON and its files.
function batchRun(args, files = []) {
  const folder = mkdtempSync(join(work, "batch-"));
  const json = JSON.parse(execFileSync(batch, ["--json", ...args], { cwd: folder }).toString());
  const out = { json };
  for (const f of files) out[f] = readFileSync(join(folder, f));
  return out;
}

// A fresh page, opened from disk; everything it logs or asks for is kept
// for the checks at the end of each case.
async function openPage() {
  // The page's own policy forbids evaluating strings, which the waits below
  // do; its requests are watched instead.
  const context = await browser.newContext({ acceptDownloads: true, bypassCSP: true,
                                             viewport: { width: 800, height: 540 } });
  const page = await context.newPage();
  const problems = [];
  page.on("console", (m) => { if (m.type() === "error") problems.push("console: " + m.text()); });
  page.on("pageerror", (e) => problems.push("page error: " + e.message));
  page.on("request", (r) => {
    if (r.url() !== pathToFileURL(pagePath).href && !r.url().startsWith("data:"))
      problems.push("request: " + r.url());
  });
  await page.goto(pathToFileURL(pagePath).href);
  await page.waitForSelector("body[data-ready=true]");
  page.problems = problems;
  page.close_ = () => context.close();
  return page;
}

async function finish(page) {
  assert.deepEqual(page.problems, []);
  await page.close_();
}

const runsDone = (page) => page.evaluate(() => Number(document.body.dataset.runs || 0));
async function waitForRuns(page, count) {
  await page.waitForFunction((n) => Number(document.body.dataset.runs || 0) >= n, count);
}

async function readouts(page) {
  return page.evaluate((names) => {
    const shown = {};
    for (const n of names) shown[n] = document.getElementById(n).value;
    shown.Option1 = document.getElementById("Option1").checked;
    return shown;
  }, readoutNames);
}

// The graph's pixels against a PNG's, compared in the page; the number of
// pixels that differ.
async function pixelsDiffering(page, png) {
  return page.evaluate(async (base64) => {
    const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    const image = await createImageBitmap(new Blob([bytes], { type: "image/png" }));
    const canvas = document.getElementById("Picture1");
    if (canvas.width !== image.width || canvas.height !== image.height) return -1;
    const scratch = new OffscreenCanvas(image.width, image.height).getContext("2d");
    scratch.drawImage(image, 0, 0);
    const want = scratch.getImageData(0, 0, image.width, image.height).data;
    const shown = canvas.getContext("2d").getImageData(0, 0, image.width, image.height).data;
    let differing = 0;
    for (let i = 0; i < want.length; i += 4)
      if (want[i] !== shown[i] || want[i + 1] !== shown[i + 1] || want[i + 2] !== shown[i + 2]) ++differing;
    return differing;
  }, png.toString("base64"));
}

async function setFields(page, fields) {
  for (const [name, value] of Object.entries(fields)) await page.fill("#" + name, value);
}

describe("runs as the batch runner makes them", () => {
  // Each: what the user sets on the page, and the batch runner's options
  // for the same run.
  const cases = [
    { name: "start-up values", fields: {}, clicks: [], args: [] },
    { name: "linear", fields: {}, clicks: ["Check5"], args: ["--linear"] },
    { name: "asymmetric, slower jerk on the way down", fields: { Text20: "300", Text13: "4000" },
      clicks: ["Check6"], args: ["--asymmetric", "--set", "Text20=300", "--set", "Text13=4000"] },
    { name: "manual deceleration point", fields: { Text19: "15000" }, clicks: ["Check3"],
      args: ["--manual", "--set", "Text19=15000"] },
    { name: "short move, triangle prevention", fields: { Text6: "3000" }, clicks: [],
      args: ["--set", "Text6=3000"] },
  ];
  for (const c of cases) {
    it(c.name, async () => {
      const page = await openPage();
      await setFields(page, c.fields);
      for (const box of c.clicks) await page.click("#" + box);
      await page.click("#Command1");
      await waitForRuns(page, 1);
      const expected = batchRun([...c.args, "--plot", "x.png"], ["x.png"]);
      assert.equal(expected.json.outcome, "completed");
      assert.deepEqual(await readouts(page), expected.json.readouts);
      assert.equal(await pixelsDiffering(page, expected["x.png"]), 0);
      await finish(page);
    });
  }
  it("the start-up run shows the worked figures", async () => {
    const page = await openPage();
    await page.click("#Command1");
    await waitForRuns(page, 1);
    assert.deepEqual(await readouts(page), { Text7: "20000", Text9: "5085", Text12: "10", Text14: "0",
      Text15: "8", Text16: "1", Text17: "2999", Option1: false });
    assert.equal(await page.textContent("#Label21"), "速度");
    assert.equal(await page.textContent("#Label22"), "時間");
    await finish(page);
  });
});

describe("during a run", () => {
  // Long enough that the run is still going when the test acts: a short
  // time axis makes the graph plot a point every few thousand ticks, and
  // those points (not the pulses, which the engine jumps over) take the
  // page's time.
  const longMove = { Text6: "6000000", Text11: "0.1" };
  const longMoveArgs = ["--set", "Text6=6000000", "--set", "Text11=0.1"];

  it("Stop ends the run at the pulse the batch runner stops at", async () => {
    const page = await openPage();
    await setFields(page, longMove);
    await page.click("#Command1");
    // The readouts move while the run goes on.
    await page.waitForFunction(() => Number(document.getElementById("Text7").value) > 1000);
    assert.equal(await page.isDisabled("#Command1"), true);
    await page.click("#Command2");
    await waitForRuns(page, 1);
    const shown = await readouts(page);
    const stoppedAt = Number(shown.Text7);
    assert.ok(stoppedAt > 1000 && stoppedAt < 6000000, "stopped at " + stoppedAt);
    const expected = batchRun([...longMoveArgs, "--stop-at", String(stoppedAt), "--plot", "x.png"], ["x.png"]);
    assert.equal(expected.json.outcome, "stopped");
    assert.deepEqual(shown, expected.json.readouts);
    assert.equal(await pixelsDiffering(page, expected["x.png"]), 0);
    assert.equal(await page.isDisabled("#Command1"), false);
    await finish(page);
  });

  it("recording switched on during the run logs from that pulse on", async () => {
    const page = await openPage();
    await setFields(page, longMove);
    await page.click("#Command1");
    await page.waitForFunction(() => Number(document.getElementById("Text7").value) > 1000);
    const download = page.waitForEvent("download");
    await page.click("#Check1");
    await page.waitForFunction(() => Number(document.getElementById("Text7").value) > 300000);
    await page.click("#Command2");
    await waitForRuns(page, 1);
    const log = readFileSync(await (await download).path());
    const fromPulse = Number(log.toString("latin1").split(/\s+/)[2]);
    const stoppedAt = (await readouts(page)).Text7;
    assert.ok(fromPulse > 1000, "recording from pulse " + fromPulse);
    const expected = batchRun([...longMoveArgs, "--at", `${fromPulse}:Check1=1`,
                               "--stop-at", stoppedAt], ["DATA_LOG.txt"]);
    assert.ok(log.equals(expected["DATA_LOG.txt"]), "the data log differs from the batch runner's");
    await finish(page);
  });

  it("nothing typed reaches a field, and Space on the focused Stop stops", async () => {
    const page = await openPage();
    await setFields(page, longMove);
    await page.focus("#Command1");
    await page.keyboard.press("Enter");
    await page.waitForFunction(() => Number(document.getElementById("Text7").value) > 1000);
    assert.equal(await page.evaluate(() => document.activeElement.id), "Command2");
    await page.focus("#Text1");
    await page.keyboard.type("99");
    await page.keyboard.press("Backspace");
    assert.equal(await page.inputValue("#Text1"), "800000");
    await page.focus("#Command2");
    await page.keyboard.press("Space");
    await waitForRuns(page, 1);
    assert.ok(Number(await page.inputValue("#Text7")) < 6000000);
    assert.equal(await page.evaluate(() => document.activeElement.id), "Command1");
    await finish(page);
  });
});

describe("keyboard", () => {
  it("focus starts on Start, Tab follows the form's order, Enter and Space press", async () => {
    const page = await openPage();
    const focused = () => page.evaluate(() => document.activeElement.id);
    assert.equal(await focused(), "Command1");
    const order = [];
    for (let i = 0; i < 5; ++i) {
      await page.keyboard.press("Tab");
      order.push(await focused());
    }
    assert.deepEqual(order, ["Text1", "Text2", "Text4", "Text5", "Text6"]);
    await page.keyboard.press("Shift+Tab");
    assert.equal(await focused(), "Text5");
    await page.focus("#Command1");
    await page.keyboard.press("Enter");
    await waitForRuns(page, 1);
    await page.keyboard.press(" ");
    await waitForRuns(page, 2);
    assert.equal(await focused(), "Command1");
    await finish(page);
  });
});

describe("a field the run cannot use", () => {
  const cases = [
    { field: "Text1", typed: "abc", error: "型が一致しません。", caption: "レンジ" },
    { field: "Text4", typed: "40000", error: "オーバーフローしました。", caption: "初速度" },
  ];
  for (const c of cases) {
    it(`${c.field} = ${c.typed}`, async () => {
      const page = await openPage();
      await page.fill("#" + c.field, c.typed);
      await page.click("#Command1");
      await page.waitForSelector("#messageBox[open]");
      const message = await page.textContent("#messageText");
      assert.ok(message.startsWith(c.error), message);
      assert.ok(message.includes(c.caption) && message.includes(c.typed), message);
      assert.equal(await page.textContent("#messageTitle"), "Tarvex  加減速波形シミュレーション  V1.1");
      await page.keyboard.press("Enter");
      await page.waitForFunction((f) => document.activeElement.id === f, c.field);
      const selected = await page.evaluate(() => [document.activeElement.selectionStart, document.activeElement.selectionEnd]);
      assert.deepEqual(selected, [0, c.typed.length]);
      await finish(page);
    });
  }
});

describe("files", () => {
  const startupFile =
      '"40000","1.2","800000","600","8000","8000","10","3000","20000"\r\n' +
      '"1000","0",1,0,1,0,0,"600"\r\n';

  it("Save downloads the window's file; Load and a drop bring it back", async () => {
    const page = await openPage();
    await page.fill("#Text5", "2500");
    await page.click("#Check6");
    const download = page.waitForEvent("download");
    await page.click("#Command3");
    await page.waitForSelector("#inputBox[open]");
    assert.equal(await page.inputValue("#inputText"), "PARAM1");
    await page.keyboard.press("Enter");
    const saved = await download;
    assert.equal(saved.suggestedFilename(), "PARAM1.prm");
    const bytes = readFileSync(await saved.path());
    assert.equal(bytes.toString("latin1"), startupFile.replace('"3000"', '"2500"').replace("1,0,1,0,0", "1,0,1,0,1"));

    const file = join(work, "PARAM1.prm");
    writeFileSync(file, bytes);
    await page.fill("#Text5", "1");
    await page.click("#Check7");
    await page.setInputFiles("#loadChooser", file);
    await page.waitForFunction(() => document.getElementById("Text5").value === "2500");
    assert.equal(await page.isChecked("#Check6"), true);
    assert.equal(await page.isChecked("#Check7"), false);

    await page.fill("#Text5", "1");
    await page.evaluate((text) => {
      const data = new DataTransfer();
      data.items.add(new File([text], "dropped.prm"));
      document.getElementById("Picture1").dispatchEvent(new DragEvent("drop", { dataTransfer: data, bubbles: true, cancelable: true }));
    }, bytes.toString("latin1"));
    await page.waitForFunction(() => document.getElementById("Text5").value === "2500");
    await finish(page);
  });

  it("a file that is no parameter file changes nothing", async () => {
    const page = await openPage();
    const file = join(work, "bad.prm");
    writeFileSync(file, startupFile.replace("1,0,1,0,0", "5,0,1,0,0").replace('"800000"', '"1"'));
    await page.setInputFiles("#loadChooser", file);
    await page.waitForSelector("#messageBox[open]");
    assert.equal(await page.textContent("#messageTitle"), "ファイル読み出しエラー");
    const message = await page.textContent("#messageText");
    assert.ok(message.includes("「bad.prm」はパラメータ ファイルではありません。"), message);
    assert.ok(message.endsWith("入力欄とチェック ボックスは変更していません。"), message);
    await page.keyboard.press("Enter");
    assert.equal(await page.inputValue("#Text1"), "800000");
    await finish(page);
  });

  it("the data log is the batch runner's, byte for byte", async () => {
    const page = await openPage();
    await page.click("#Check1");
    const download = page.waitForEvent("download");
    await page.click("#Command1");
    await waitForRuns(page, 1);
    const saved = await download;
    assert.equal(saved.suggestedFilename(), "DATA_LOG.txt");
    const expected = batchRun(["--record"], ["DATA_LOG.txt"]);
    assert.ok(readFileSync(await saved.path()).equals(expected["DATA_LOG.txt"]));
    await finish(page);
  });

  it("the graph's menu saves the PNG the batch runner draws", async () => {
    const page = await openPage();
    await page.click("#Command1");
    await waitForRuns(page, 1);
    await page.click("#Picture1", { button: "right" });
    const download = page.waitForEvent("download");
    await page.click("#menuPng");
    const saved = await download;
    const expected = batchRun(["--plot", "x.png"], ["x.png"]);
    assert.ok(readFileSync(await saved.path()).equals(expected["x.png"]));
    await finish(page);
  });
});
