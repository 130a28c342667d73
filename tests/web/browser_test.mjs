// The page in a real browser, Debian's Chromium driven by puppeteer-core, over http from a
// server of the test's own on 127.0.0.1 and from disk, against the table of conversions that
// every front end is held to.
//   node browser_test.mjs SITE TABLE      (ORVANI_VERSION: the version the page must name;
//                                          ORVANI_SCREENSHOTS: a folder for its pictures)
import assert from "node:assert/strict";
import { mkdtemp, readFile, rm, writeFile } from "node:fs/promises";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";
import { after, before, test } from "node:test";
import { pathToFileURL } from "node:url";
import { launch, requireBrowser, serve } from "./browser.mjs";

const site = resolve(process.argv[2]);
const tablePath = process.argv[3];
const puppeteer = await requireBrowser(site);

// The table's own escapes: \t, \n, \r, \\ and \u{HEX}.
const unescape = (field) =>
  field.replace(/\\(u\{([0-9a-fA-F]+)\}|.)/g, (_, kind, hex) =>
    hex ? String.fromCodePoint(parseInt(hex, 16)) : ({ t: "\t", n: "\n", r: "\r" }[kind] ?? kind),
  );
const rows = (await readFile(tablePath, "utf8"))
  .split("\n")
  .filter((line) => line !== "" && !line.startsWith("#"))
  .map((line) => {
    const [left, right, a, ohUh, text, expected, mark] = line.split("\t");
    return { left, right, a: a === "1", ohUh: ohUh === "1", text: unescape(text),
             expected: unescape(expected), nfc: mark === "nfc" };
  });

let server;
let chrome;
let downloads;
let page;
const problems = []; // console errors and uncaught exceptions, of every page

async function open(url, viewport = { width: 1280, height: 800 }) {
  const opened = await chrome.browser.newPage();
  opened.on("console", (message) => {
    if (message.type() === "error") {
      problems.push(`${url}: ${message.text()}`);
    }
  });
  opened.on("pageerror", (error) => problems.push(`${url}: ${error.message}`));
  await opened.setViewport(viewport);
  await opened.goto(url);
  return opened;
}

before(async () => {
  server = await serve(site);
  downloads = await mkdtemp(join(tmpdir(), "orvani-downloads-"));
  chrome = await launch(puppeteer, downloads);
  page = await open(server.url);
});

after(async () => {
  await chrome?.close();
  await server?.close();
  await rm(downloads, { recursive: true, force: true });
});

// Sets the standards and options as a person would pick them (a hidden box keeps its state,
// as the window's does) and, where given, the left text; answers the right text once the
// page has converted.
async function convertOn(target, { left, right, a, ohUh, text }) {
  return target.evaluate(
    async (settings) => {
      const byId = (id) => document.getElementById(id);
      const stale = "\u0000stale";
      byId("txtR").value = stale;
      for (const [id, value] of [["comL", settings.left], ["comR", settings.right]]) {
        byId(id).value = value;
        byId(id).dispatchEvent(new Event("change"));
      }
      for (const [id, value] of [["chkA", settings.a], ["chkOU", settings.ohUh]]) {
        byId(id).checked = value;
        byId(id).dispatchEvent(new Event("change"));
      }
      if (settings.text !== undefined) {
        byId("txtL").value = settings.text;
        byId("txtL").dispatchEvent(new Event("input"));
      }
      const started = Date.now();
      while (byId("txtR").value === stale && Date.now() - started < 10_000) {
        await new Promise((resolve) => setTimeout(resolve, 5));
      }
      return byId("txtR").value;
    },
    { left, right, a, ohUh, text },
  );
}

const value = (target, selector) => target.$eval(selector, (element) => element.value);

test("names its version", async () => {
  assert.equal(await page.$eval("#version", (element) => element.textContent), process.env.ORVANI_VERSION);
  assert.equal(await page.title(), "Orvani Converter");
});

test("typed Old text reads as New text", async () => {
  await convertOn(page, { left: "old", right: "new", a: true, ohUh: false, text: "" });
  await page.type("#txtL", "Kheetsoy dhath, ohm uhr");
  await page.waitForFunction(() => document.getElementById("txtR").value === "xícó ðæþ, ohm uhr");
});

// A text box gives its text with every line end as LF, whatever was put in.
const asBoxShows = (text) => text.replace(/\r\n?/g, "\n");

test("every conversion of the shared table, decomposed accents brought to NFC", async () => {
  assert.ok(rows.some((row) => row.nfc));
  for (const row of rows) {
    assert.equal(await convertOn(page, row), asBoxShows(row.expected),
      `${row.left} to ${row.right}, a ${row.a}, oh/uh ${row.ohUh}: ${JSON.stringify(row.text)}`);
  }
});

test("the options shown for each pair are the window's", async () => {
  const panels = {
    "old>new": ["oh/uh -> o/u", "ah/a -> a/æ"],
    "old>script": ["oh/uh -> o/u", "ah/a -> a/I"],
    "new>old": ["o/u -> oh/uh", null],
    "script>old": ["o/u -> oh/uh", null],
  };
  for (const left of ["old", "new", "script"]) {
    for (const right of ["old", "new", "script"]) {
      await convertOn(page, { left, right, a: true, ohUh: false });
      const shown = await page.evaluate(() => {
        const visible = (id) => document.getElementById(id).checkVisibility();
        const caption = (id) => document.getElementById(id).textContent;
        return visible("options")
          ? [caption("capOU"), visible("rowA") ? caption("capA") : null]
          : undefined;
      });
      assert.deepEqual(shown, panels[`${left}>${right}`], `${left} to ${right}`);
    }
  }
});

test("Swap exchanges the standards and moves the result to the left", async () => {
  await convertOn(page, { left: "old", right: "script", a: true, ohUh: false, text: "Kheetsoy dhath" });
  await page.click("#cmdSwap");
  await page.waitForFunction(() => document.getElementById("txtR").value === "kheetsoy dhath");
  assert.deepEqual(
    [await value(page, "#comL"), await value(page, "#comR"), await value(page, "#txtL"), await value(page, "#txtR")],
    ["script", "old", "kExO dqT", "kheetsoy dhath"],
  );
});

const pause = () => new Promise((resolve) => setTimeout(resolve, 50));

// The file that the page's download link saves, once Chromium has saved it.
async function download(target) {
  const link = await target.waitForSelector("#download", { timeout: 60_000 });
  const name = await link.evaluate((element) => element.download);
  const path = join(downloads, name);
  await rm(path, { force: true });
  await link.click();
  for (let tries = 0; tries < 1200; tries++) {
    try {
      return { name, text: await readFile(path, "utf8") };
    } catch {
      await pause();
    }
  }
  throw new Error(`${name} was never saved`);
}

// Drops a file on the page, made there from `text`: a string, or { text, repeat } for a long
// one without sending it to the browser.
async function dropFile(target, name, text) {
  await target.evaluate(
    ({ name, text }) => {
      const files = new DataTransfer();
      files.items.add(new File([typeof text === "string" ? text : text.text.repeat(text.repeat)], name));
      document.getElementById("download")?.remove();
      for (const type of ["dragover", "drop"]) {
        document.querySelector("main").dispatchEvent(
          new DragEvent(type, { dataTransfer: files, bubbles: true, cancelable: true }),
        );
      }
    },
    { name, text },
  );
  return download(target);
}

test("a dropped file converts and is offered for download, its line ends kept", async () => {
  await convertOn(page, { left: "old", right: "new", a: true, ohUh: false });
  const result = await dropFile(page, "letter.txt", "Kheetsoy dhath,\r\nohm uhr\r\n");
  assert.deepEqual(result, { name: "letter-new.txt", text: "xícó ðæþ,\r\nohm uhr\r\n" });
  assert.equal(await value(page, "#txtR"), "xícó ðæþ,\nohm uhr\n");
});

test("a chosen file is offered under the name the filter would give it", async () => {
  const folder = await mkdtemp(join(tmpdir(), "orvani-page-"));
  try {
    await writeFile(join(folder, "greeting.old"), "Kheetsoy dhath\n");
    await convertOn(page, { left: "old", right: "new", a: true, ohUh: false });
    await page.evaluate(() => document.getElementById("download")?.remove());
    await (await page.$("#file")).uploadFile(join(folder, "greeting.old"));
    assert.deepEqual(await download(page), { name: "greeting.new", text: "xícó ðæþ\n" });
  } finally {
    await rm(folder, { recursive: true, force: true });
  }
});

test("a file that is not UTF-8 is refused, saying where", async () => {
  await page.evaluate(() => {
    const files = new DataTransfer();
    files.items.add(new File([new Uint8Array([0x4b, 0x68, 0xff, 0x65])], "latin1.txt"));
    document.querySelector("main").dispatchEvent(
      new DragEvent("drop", { dataTransfer: files, bubbles: true, cancelable: true }));
  });
  await page.waitForFunction(() =>
    document.getElementById("status").textContent.includes("latin1.txt is not UTF-8 text (from byte 2 on)"));
});

test("a long file converts in the worker behind a progress bar, NFC across its slices", async () => {
  await convertOn(page, { left: "new", right: "old", a: true, ohUh: false });
  await page.evaluate(() => {
    window.sawProgress = false;
    new MutationObserver(() => {
      window.sawProgress ||= !document.getElementById("progress").hidden;
    }).observe(document.getElementById("progress"), { attributes: true });
  });
  const repeat = 400_000; // 3.6 million characters
  const result = await dropFile(page, "long.txt", { text: "xi\u0301co\u0301\nš ", repeat });
  assert.equal(result.text, "kheetsoy\nsh ".repeat(repeat));
  assert.ok(await page.evaluate(() => window.sawProgress));
  assert.ok(await page.$eval("#progress", (element) => element.hidden));
});

test("a text too long to convert at each keystroke waits for Convert", async () => {
  const text = "Kheetsoy dhath ".repeat(25_000);
  await convertOn(page, { left: "old", right: "new", a: true, ohUh: false, text: "" });
  await page.evaluate((text) => {
    const box = document.getElementById("txtL");
    box.value = text;
    box.dispatchEvent(new Event("input"));
  }, text);
  assert.match(await page.$eval("#status", (element) => element.textContent), /press Convert ->/);
  await page.click("#cmdConv");
  await page.waitForFunction((length) => document.getElementById("txtR").value.length === length, {},
    "xícó ðæþ ".length * 25_000);
});

test("the standards and options are remembered", async () => {
  await convertOn(page, { left: "script", right: "old", a: false, ohUh: true });
  await page.reload();
  assert.deepEqual(
    await page.evaluate(() => ["comL", "comR", "chkA", "chkOU"].map((id) => {
      const control = document.getElementById(id);
      return control.type === "checkbox" ? control.checked : control.value;
    })),
    ["script", "old", false, true],
  );
});

test("Copy and Paste go through the clipboard", async () => {
  await chrome.browser.defaultBrowserContext().overridePermissions(server.url.slice(0, -1),
    ["clipboard-read", "clipboard-write", "clipboard-sanitized-write"]);
  await page.bringToFront();
  await convertOn(page, { left: "old", right: "new", a: true, ohUh: false, text: "Kheetsoy" });
  await page.click("#cmdCopy");
  await page.waitForFunction(async () => (await navigator.clipboard.readText()) === "xícó");
  await page.evaluate(() => navigator.clipboard.writeText("Dhath"));
  await page.click("#cmdPaste");
  await page.waitForFunction(() => document.getElementById("txtR").value === "ðæþ");
  assert.equal(await value(page, "#txtL"), "Dhath");
});

test("every control has a label", async () => {
  const unlabelled = await page.evaluate(() =>
    [...document.querySelectorAll("button, input, select, textarea")]
      .filter((control) => control.labels?.length === 0 && control.textContent.trim() === ""
        && !control.getAttribute("aria-label"))
      .map((control) => control.id),
  );
  assert.deepEqual(unlabelled, []);
});

test("opened from disk, it converts as well", async () => {
  const disk = await open(pathToFileURL(join(site, "index.html")).href);
  assert.equal(
    await convertOn(disk, { left: "old", right: "script", a: true, ohUh: false, text: "Kheetsoy dhath" }),
    "kExO dqT",
  );
  await disk.close();
});

test("once visited, it converts with the server gone", async () => {
  const own = await serve(site);
  let offline;
  try {
    offline = await open(own.url);
    await offline.evaluate(async () => {
      await navigator.serviceWorker.ready;
      while (!navigator.serviceWorker.controller) {
        await new Promise((resolve) => setTimeout(resolve, 20));
      }
    });
  } finally {
    await own.close();
  }
  await offline.reload();
  assert.equal(
    await convertOn(offline, { left: "old", right: "new", a: true, ohUh: false, text: "Kheetsoy dhath" }),
    "xícó ðæþ",
  );
  await offline.close();
});

test("screenshots at a desktop's and a phone's size", async (t) => {
  const folder = process.env.ORVANI_SCREENSHOTS;
  if (!folder) {
    t.skip("ORVANI_SCREENSHOTS names no folder");
    return;
  }
  const sample = "Kheetsoy dhath, ohm uhr.\nShoy tsee kheesh dhath ayt,\nooh ahh.";
  for (const [name, viewport] of [["page-1280x800.png", { width: 1280, height: 800 }],
    ["page-390x844.png", { width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true }]]) {
    const shot = await open(server.url, viewport);
    await convertOn(shot, { left: "old", right: "new", a: true, ohUh: false, text: sample });
    await shot.screenshot({ path: join(folder, name) });
    await shot.close();
  }
});

test("no console errors and no uncaught exceptions", () => {
  assert.deepEqual(problems, []);
});
