// The page's speed in headless Chromium: Old text converted to New by the page's own road
// (its worker, the core in WebAssembly, NFC where needed), beside a converter made of one
// JavaScript regular expression over the same Old table, in the same browser and run, in
// turn. Reports MB of UTF-8 input a second, the median of the runs, and the longest pause of
// the page's own thread while the page converts.
//   node bench/web_bench.mjs SITE TEXT [RUNS]     (scripts/web --bench gives it 10 MB of text)
import { launch, requireBrowser, serve } from "../tests/web/browser.mjs";

const [site, text, runs = "5"] = process.argv.slice(2);
const puppeteer = await requireBrowser(site);
const server = await serve(site, { "/bench/text.txt": text });
const chrome = await launch(puppeteer);
try {
  const page = await chrome.browser.newPage();
  await page.goto(server.url);
  const result = await page.evaluate(async (runs) => {
    const { startConverter } = await import("./client.js");
    const { startWorker } = await import("./worker_start.js");
    const convert = startConverter(startWorker());
    const text = await (await fetch("bench/text.txt")).text();
    const megabytes = new TextEncoder().encode(text).length / 1e6;
    const settings = { source: 0, target: 1, a: true, ohUh: false }; // Old to New

    // The Old table of core/src/old_reading.cpp, the a option on, oh/uh off: two-letter
    // spellings first, read greedily from the left.
    const table = { sh: "š", kh: "x", ah: "a", ih: "i", ee: "í", eh: "e", ay: "é", th: "þ",
                    dh: "ð", oy: "ó", ch: "ç", oo: "ú", ts: "c", oh: "oh", uh: "uh", a: "æ",
                    i: "á" };
    const spellings = /sh|kh|ah|ih|ee|eh|ay|th|dh|oy|ch|oo|ts|oh|uh|a|i/g;
    const peer = (old) => old.toLowerCase().replace(spellings, (spelling) => table[spelling]);

    // The longest gap between the page's own timers while `work` runs.
    async function longestPause(work) {
      let longest = 0;
      let last = performance.now();
      let running = true;
      const tick = () => {
        const now = performance.now();
        longest = Math.max(longest, now - last);
        last = now;
        if (running) {
          setTimeout(tick, 0);
        }
      };
      setTimeout(tick, 0);
      const value = await work();
      running = false;
      return { value, longest };
    }

    const ours = await convert(text, settings, () => {});
    const theirs = peer(text);
    let firstDifference = -1;
    if (ours !== theirs) {
      firstDifference = [...ours].findIndex((c, i) => c !== [...theirs][i]);
    }
    const times = { page: [], peer: [], pauses: [] };
    for (let run = 0; run < runs; run++) {
      let start = performance.now();
      const { longest } = await longestPause(() => convert(text, settings, () => {}));
      times.page.push(performance.now() - start);
      times.pauses.push(longest);
      start = performance.now();
      peer(text);
      times.peer.push(performance.now() - start);
    }
    return { megabytes, times, same: ours === theirs, firstDifference, sample: ours.slice(0, 60) };
  }, Number(runs));

  const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
  const rate = (ms) => result.megabytes / (ms / 1000);
  const ours = rate(median(result.times.page));
  const peer = rate(median(result.times.peer));
  const ratios = result.times.page.map((ms, i) => result.times.peer[i] / ms);
  const browser = await chrome.browser.version();
  console.log(`${browser}, ${result.megabytes.toFixed(1)} MB of Old text to New, median of ${runs} runs:`);
  console.log(`  the page (worker, WebAssembly core, NFC where needed): ${ours.toFixed(0)} MB/s`);
  console.log(`  regular-expression peer (toLowerCase, one replace):    ${peer.toFixed(0)} MB/s`);
  console.log(`  the page is ${median(ratios).toFixed(1)} times as fast (median of the runs' ratios)`);
  console.log(`  longest pause of the page's own thread while it converts: ` +
    `${median(result.times.pauses).toFixed(0)} ms (median of the runs)`);
  console.log(result.same ? "  both give the same text"
    : `  the two differ from character ${result.firstDifference} on`);
} finally {
  await chrome.close();
  await server.close();
}
