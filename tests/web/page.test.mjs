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
    // The design's worker is made from the page's own script (blob:).
    if (r.url() !== pathToFileURL(pagePath).href && !/^(data|blob):/.test(r.url()))
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

describe("what the window offers beyond the form", () => {
  // Each step: fields typed, then tooltips expected (the first line where
  // the tooltip has more).
  const tooltipSteps = [
    { typed: {}, tips: { Text5: "ドライブ速度 3000 = 30,000 pps（レンジ 800000）",
                         Text2: "加速度 8000 = 10,000,000 pps/s（レンジ 800000）",
                         Text3: "加増加率 600 = 加速度 8000 まで 9.62 s で立ち上がり" } },
    { typed: { Text1: "400000" }, tips: { Text5: "ドライブ速度 3000 = 60,000 pps（レンジ 400000）" } },
    { typed: { Text4: "-5" }, tips: { Text4: "負の速度には意味がありません（パルスが出ません）。" } },
    { typed: { Text1: "0" }, tips: { Text1: "レンジ 0 では速度になりません（0 で除算）。",
                                      Text5: "レンジが正の整数でないため、速度になりません。" } },
    { typed: { Text18: "0" }, tips: { Text18: "自動減速は、残りパルスが（加速パルス − 1）以下で始まります。" } },
    { typed: { Text18: "5" }, tips: { Text18: "自動減速は、残りパルスが（加速パルス + 4）以下で始まります。" } },
    { typed: { Text4: "１０" }, tips: { Text4: "「初速度」に入力された「１０」は数値として読めません。" } },
    { typed: { Text1: "800000", Text4: "10" }, tips: { Text5: "ドライブ速度 3000 = 30,000 pps（レンジ 800000）" } },
  ];

  it("the fields' and the readouts' tooltips say what the numbers mean", async () => {
    const page = await openPage();
    const firstLine = (name) => page.getAttribute("#" + name, "title").then((t) => t.split("\n")[0]);
    for (const step of tooltipSteps) {
      await setFields(page, step.typed);
      for (const [name, tip] of Object.entries(step.tips))
        assert.equal(await firstLine(name), tip, JSON.stringify(step.typed));
    }
    await page.click("#Command1");
    await waitForRuns(page, 1);
    await page.hover("#Text17");
    assert.equal(await page.getAttribute("#Text17", "title"), "速度カウンタ 2999 = 29,990 pps（レンジ 800000）");
    await page.hover("#Text12");
    assert.equal(await page.getAttribute("#Text12", "title"), "速度カウンタ 10 = 100 pps（レンジ 800000）");
    await page.hover("#Text7");
    assert.equal(await page.getAttribute("#Text7", "title"), "");  // a count
    await finish(page);
  });

  // The mouse low in pixel column 100 reads the point of the runner's trace
  // row 1500 (a row every 961 ticks): 1041 pulses at speed counter 1696.
  it("the cursor reads the batch runner's trace under the mouse", async () => {
    const page = await openPage();
    await page.click("#Command1");
    await waitForRuns(page, 1);
    const rows = batchRun(["--trace", "t.csv"], ["t.csv"])["t.csv"].toString().split("\n");
    assert.equal(rows[1501], "1441500,0.180187500,1041,1696,16960.000,132,3");
    const graph = await page.$("#Picture1");
    const place = await graph.boundingBox();
    await page.mouse.move(place.x + 100.5, place.y + 267);
    await page.waitForSelector("#graphTip", { state: "visible" });
    const tip = await page.textContent("#graphTip");
    assert.ok(tip.includes("出力パルス: 1041\n") && tip.includes("速度: 16960.0 pps（速度カウンタ 1696）")
              && tip.endsWith("加/減速度カウンタ: 132\n加減速ステート: 3"), tip);
    const column = await page.evaluate(() => document.getElementById("graphCursor").offsetLeft -
                                             document.getElementById("Picture1").offsetLeft);
    assert.equal(column, 100);
    await page.mouse.move(place.x - 20, place.y - 20);
    await page.waitForSelector("#graphTip", { state: "hidden" });
    await finish(page);
  });

  // The start-up run (S-curve, symmetric) builds its acceleration up by one
  // count every 16 x 601 = 9616 ticks and lets it fall again before 2990
  // speed steps are made: n x n x 9616 / 64000 = 2990 gives n = 141,
  // 141 x 1250 = 176,250 pps/s; a jerk of 1250 pps/s per 9616 ticks is
  // 1,039,933 pps/s², the run's points measuring a shade less. Linear and
  // asymmetric at a deceleration of 4000: no increasing rates, the
  // deceleration's own row, the rates held as set.
  const reportCases = [
    { clicks: [], registers:
        "レジスタ\t設定値\t物理量\t単位\t実測\t単位\n" +
        "レンジ\t800000\t10\tpps（速度カウンタ 1 あたり）\t\t\n" +
        "初速度\t10\t100\tpps\t\t\n" +
        "ドライブ速度\t3000\t30000\tpps\t\t\n" +
        "加速度\t8000\t10000000\tpps/s\t176250\tpps/s\n" +
        "加増加率\t600\t1039933\tpps/s²\t1036142\tpps/s²\n" },
    { clicks: ["Check5", "Check6"], registers:
        "レジスタ\t設定値\t物理量\t単位\t実測\t単位\n" +
        "レンジ\t800000\t10\tpps（速度カウンタ 1 あたり）\t\t\n" +
        "初速度\t10\t100\tpps\t\t\n" +
        "ドライブ速度\t3000\t30000\tpps\t\t\n" +
        "加速度\t8000\t10000000\tpps/s\t10000000\tpps/s\n" +
        "減速度\t4000\t5000000\tpps/s\t5000000\tpps/s\n" },
  ];
  for (const c of reportCases) {
    it("演算結果 from the graph's menu, copied: " + (c.clicks.join(" ") || "start-up"), async () => {
      const page = await openPage();
      await page.context().grantPermissions(["clipboard-read", "clipboard-write"]);
      for (const box of c.clicks) await page.click("#" + box);
      await setFields(page, { Text13: "4000" });
      await page.click("#Picture1", { button: "right" });
      assert.equal(await page.isDisabled("#menuReport"), true);  // no run yet
      await page.keyboard.press("Escape");
      await page.click("#Command1");
      await waitForRuns(page, 1);
      await page.click("#Picture1", { button: "right" });
      await page.click("#menuReport");
      await page.waitForSelector("#reportBox[open]");
      assert.equal(await page.textContent("#reportTitle"), "演算結果");
      await page.click("#reportCopy");
      const copied = await page.evaluate(() => navigator.clipboard.readText());
      const [summary, registers, phases] = copied.split("\n\n");
      assert.equal(registers + "\n", c.registers);
      if (c.clicks.length === 0) {
        assert.ok(summary.startsWith("結果\t完了\n移動時間 [s]\t1.013560\n"), summary);
        // Every row of the runner's phase table is a row of the report.
        const table = execFileSync(batch, [], { cwd: work }).toString().split("Phases:\n")[1];
        const lines = table.trim().split("\n").slice(1);
        assert.equal(lines.length, 6);
        for (const line of lines)
          assert.ok(phases.includes(line.trim().split(/\s+/).join("\t") + "\n"), line);
        // The dialog shows the same rows.
        assert.equal(await page.locator("#reportPhases tr").count(), lines.length + 1);
      }
      await page.keyboard.press("Escape");
      await page.waitForSelector("#reportBox", { state: "hidden" });
      await finish(page);
    });
  }
});

describe("earlier runs kept under the current one", () => {
  const legend = (page) => page.evaluate(() =>
    [...document.querySelectorAll("#graphLegend div")].map((line) => [line.lastChild.textContent, line.firstChild.style.background]));
  // The graph's menu from the menu key, an item by its letter.
  async function menu(page, letter) {
    await page.focus("#Picture1");
    await page.keyboard.press("ContextMenu");
    await page.keyboard.press(letter);
  }
  async function run(page, fields) {
    const before = await runsDone(page);
    await setFields(page, fields);
    await page.click("#Command1");
    await waitForRuns(page, before + 1);
  }
  // Acceleration 8000 built up in 16 (jerk + 1) ticks a step: 300 takes
  // 8000 x 4816 ticks = 4.816 s. An earlier run keeps its colour; one made
  // again the same way takes no place and is counted; a failed run has no
  // line; the last five that differ are kept; cleared, the graph is the
  // batch runner's again.
  it("their curves and legend, colours and counts", async () => {
    const page = await openPage();
    await menu(page, "k");
    for (const jerk of ["100", "200", "200", "300"]) await run(page, { Text6: "2000", Text3: jerk });
    assert.deepEqual(await legend(page), [
      ["今回: 加増加率 300（立ち上がり 4.816 s）", "rgb(0, 0, 0)"],
      ["加増加率 200（立ち上がり 3.216 s）（2 回）", "rgb(146, 197, 222)"],
      ["加増加率 100（立ち上がり 1.616 s）", "rgb(244, 165, 130)"]]);
    // The earlier curves in their colours, under the run's black ink.
    const coloured = await page.evaluate(() => {
      const d = document.getElementById("Picture1").getContext("2d").getImageData(0, 0, 668, 268).data;
      let n = 0;
      for (let i = 0; i < d.length; i += 4) if (d[i] !== d[i + 1] || d[i] !== d[i + 2]) ++n;
      return n;
    });
    assert.ok(coloured > 300, coloured + " coloured pixels");
    await setFields(page, { Text1: "0" });
    await page.click("#Command1");
    await page.waitForSelector("#messageBox[open]");
    await page.keyboard.press("Enter");
    assert.deepEqual((await legend(page)).map(([text]) => text), [
      "加増加率 300（立ち上がり 4.816 s）", "加増加率 200（立ち上がり 3.216 s）（2 回）",
      "加増加率 100（立ち上がり 1.616 s）"]);
    await setFields(page, { Text1: "800000" });
    for (let n = 4; n <= 9; ++n) {
      await run(page, { Text3: String(100 * n) });
      assert.equal((await legend(page)).length, 1 + Math.min(n - 1, 5));
    }
    assert.equal((await legend(page)).at(-1)[0], "加増加率 400（立ち上がり 6.416 s）");
    await menu(page, "d");
    assert.equal(await page.isHidden("#graphLegend"), true);
    const expected = batchRun(["--set", "Text6=2000", "--set", "Text3=900", "--plot", "x.png"], ["x.png"]);
    assert.equal(await pixelsDiffering(page, expected["x.png"]), 0);
    // Made again the same way, then a long move: while it goes on, the
    // legend names it against the one kept.
    await run(page, {});
    const before = await runsDone(page);
    // A short time axis keeps the long move going while the legend is read.
    await setFields(page, { Text6: "6000000", Text11: "0.1" });
    await page.click("#Command1");
    // Past the 2000 pulses the last run left in the readout: shown at a turn
    // that has drawn the graph and its legend.
    await page.waitForFunction(() => Number(document.getElementById("Text7").value) > 2000);
    assert.deepEqual((await legend(page)).map(([text]) => text),
                     ["今回: 出力パルス数 6000000 パルス", "出力パルス数 2000 パルス（2 回）"]);
    await page.click("#Command2");
    await waitForRuns(page, before + 1);
    await finish(page);
  });
  // A long run's plateau fills the top: the legend goes where it covers
  // least, the bottom right.
  it("the legend where it covers least", async () => {
    const page = await openPage();
    await menu(page, "k");
    await run(page, { Text10: "32000", Text6: "200000" });
    await run(page, { Text3: "300" });
    const place = await page.evaluate(() => {
      const legend = document.getElementById("graphLegend"), graph = document.getElementById("Picture1");
      return [graph.offsetLeft + graph.offsetWidth - legend.offsetLeft - legend.offsetWidth,
              legend.offsetTop + legend.offsetHeight > graph.offsetTop + graph.offsetHeight / 2];
    });
    assert.deepEqual(place, [4, true]);
    await finish(page);
  });
});

describe("目標から設計", () => {
  const target = (i) => "#designTarget" + i;
  async function openDesign(page) {
    await page.keyboard.press("Control+d");
    await page.waitForSelector("#designBox[open]");
  }
  async function typeTargets(page, texts) {
    for (let i = 0; i < texts.length; ++i) {
      await page.keyboard.press("Alt+" + (i + 1));
      await page.keyboard.press("Delete");
      if (texts[i]) await page.keyboard.type(texts[i]);
    }
  }
  const searched = (page) => page.waitForSelector("#designBusy[hidden]", { state: "attached", timeout: 120000 });
  const cell = (page, row, column) =>
    page.evaluate(([r, c]) => document.getElementById("designAchieved").rows[r + 1].cells[c].textContent, [row, column]);

  // After the start-up run the targets start from its figures; the move of
  // 20,000 pulses at 30,000 pps in 0.17 s from 100 pps is typed over them,
  // Enter computes (in the worker), Enter applies, Ctrl+Z undoes; Start then
  // runs what the design promised (peak counter 4199, no drag pulse).
  it("a move typed, computed, applied and run", async () => {
    const page = await openPage();
    await page.click("#Command1");
    await waitForRuns(page, 1);
    await openDesign(page);
    const starting = await page.evaluate(() => [0, 1, 2, 3, 4, 5, 6].map((i) => document.getElementById("designTarget" + i).value));
    assert.deepEqual(starting, ["20000", "29990", "0.3379221", "0.34783", "100", "1", ""]);
    await typeTargets(page, ["20000", "30000", "0.17", ""]);
    await page.keyboard.press("Enter");
    await searched(page);
    assert.equal(await page.textContent("#designVerdict"),
                 "すべての目標を満たしています。「適用」で各欄に書き込みます（演算は「演算開始」で行います）。");
    assert.deepEqual([await cell(page, 2, 2), await cell(page, 2, 3)], ["0.173939", "+2.32 %  範囲内"]);
    assert.equal(await page.evaluate(() => document.activeElement.id), "designApply");
    await page.keyboard.press("Enter");
    assert.equal(await page.inputValue("#Text1"), "1119733");
    // Ctrl+Z puts back what the fields held; applied again, it stays.
    await page.keyboard.press("Control+z");
    assert.equal(await page.textContent("#designVerdict"), "書き込む前の値に戻しました。");
    assert.equal(await page.inputValue("#Text1"), "800000");
    await page.click("#designApply");
    await page.keyboard.press("Escape");
    await page.waitForSelector("#designBox", { state: "hidden" });
    for (const [box, text] of [["Text1", "1119733"], ["Text3", "107"], ["Text4", "14"], ["Text5", "4200"],
                               ["Text10", "50000"], ["Text11", "1"]])
      assert.equal(await page.inputValue("#" + box), text, box);
    assert.equal(await page.isChecked("#Check7"), true);
    await page.click("#Command1");
    await waitForRuns(page, 2);
    assert.equal(await page.inputValue("#Text17"), "4199");
    assert.equal(await page.inputValue("#Text16"), "0");
    await finish(page);
  });

  // A search the page goes on beside, cancelled by Escape; a move that
  // cannot be made says which target fails; Escape then closes.
  it("the search runs beside the page, Escape cancels it", async () => {
    const page = await openPage();
    await openDesign(page);
    // A search of some seconds: candidates of 20 s ramps.
    await typeTargets(page, ["20000000", "200000", "20", "30", "50", "0.3", ""]);
    await page.keyboard.press("Enter");
    await page.waitForSelector("#designBusy:not([hidden])");
    // The worker's progress reaches the page as it goes.
    await page.waitForFunction(() => /^計算中です…候補 \d+ 件を演算しました（Esc：キャンセル）$/
                                         .test(document.getElementById("designVerdict").textContent));
    assert.equal(await page.textContent("#designClose"), "キャンセル");
    // The page answers while the worker searches.
    assert.equal(await page.evaluate(() => 6 * 7), 42);
    await page.keyboard.press("Escape");
    await searched(page);
    assert.equal(await page.textContent("#designVerdict"), "計算をキャンセルしました。");
    assert.equal(await page.isVisible("#designBox"), true);
    await typeTargets(page, ["20000100", "100"]);
    await page.keyboard.press("Enter");
    await searched(page);
    assert.ok((await page.textContent("#designVerdict")).startsWith("出力パルス数 20000100 パルス"));
    assert.equal(await page.isDisabled("#designApply"), true);
    await page.keyboard.press("Escape");
    await page.waitForSelector("#designBox", { state: "hidden" });
    // Opened again, the targets are as last typed, the rest afresh.
    await openDesign(page);
    assert.deepEqual(await page.evaluate(() => [0, 1, 2, 3, 4, 5, 6].map((i) => document.getElementById("designTarget" + i).value)),
                     ["20000100", "100", "20", "30", "50", "0.3", ""]);
    assert.equal(await page.textContent("#designVerdict"), "目標を入力して「計算」を押してください。");
    assert.equal(await page.locator("#designAchieved tr").count(), 0);
    await finish(page);
  });

  it("a target that is no number is named and selected", async () => {
    const page = await openPage();
    await openDesign(page);
    await typeTargets(page, ["20000", "３万"]);
    await page.keyboard.press("Enter");
    await page.waitForFunction(() => document.activeElement.id === "designTarget1");
    assert.equal(await page.textContent("#designVerdict"), "「ピーク速度」の「3万」は数値ではありません。");
    await finish(page);
  });
});
