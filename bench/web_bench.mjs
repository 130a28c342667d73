// The page's speed in headless Chromium: Old text converted to New by the page's own roads
// (its worker, the core in WebAssembly, NFC where needed), a file's bytes as a dropped file
// takes it and a string as the text boxes take it, beside a converter made of one JavaScript
// regular expression over the same Old table, in the same browser and run, in turn. Reports
// MB of UTF-8 input a second, the median of the runs, and the longest pause of the page's own
// thread while the page converts a file.
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
    const file = new Uint8Array(await (await fetch("bench/text.txt")).arrayBuffer());
    const text = new TextDecoder().decode(file);
    const megabytes = file.length / 1e6;
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

    // As the page converts a dropped file: bytes handed to the worker, bytes back, a Blob.
    async function convertFile() {
      const bytes = file.slice().buffer; // handed over, so a copy, made before the clock runs
      const start = performance.now();
      const result = await convert(bytes, settings, () => {});
      new Blob([result], { type: "text/plain;charset=utf-8" });
      return { result, ms: performance.now() - start };
    }

    const ours = await convert(text, settings, () => {});
    const ourFile = new TextDecoder().decode((await convertFile()).result);
    const theirs = peer(text);
    const times = { file: [], text: [], peer: [], pauses: [] };
    for (let run = 0; run < runs; run++) {
      const { value, longest } = await longestPause(convertFile);
      times.file.push(value.ms);
      times.pauses.push(longest);
      let start = performance.now();
      await convert(text, settings, () => {});
      times.text.push(performance.now() - start);
      start = performance.now();
      peer(text);
      times.peer.push(performance.now() - start);
    }
    return { megabytes, times, same: ours === theirs && ourFile === theirs };
  }, Number(runs));

  const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
  const rate = (ms) => result.megabytes / (ms / 1000);
  const ratio = (road) => median(result.times[road].map((ms, i) => result.times.peer[i] / ms));
  const browser = await chrome.browser.version();
  console.log(`${browser}, ${result.megabytes.toFixed(1)} MB of Old text to New, median of ${runs} runs:`);
  console.log("                                                      MB/s   vs peer");
  const line = (label, road) =>
    console.log(`  ${label.padEnd(50)}${rate(median(result.times[road])).toFixed(0).padStart(6)}` +
      (road === "peer" ? "" : `${ratio(road).toFixed(1).padStart(9)}x`));
  line("the page, a file (bytes in and out, as dropped)", "file");
  line("the page, the text boxes (a string in and out)", "text");
  line("regular-expression peer (toLowerCase, one replace)", "peer");
  console.log("  vs peer: how many times the page is as fast, the median of the runs' ratios");
  console.log(`  longest pause of the page's own thread while it converts the file: ` +
    `${median(result.times.pauses).toFixed(0)} ms (median of the runs)`);
  console.log(result.same ? "  all three give the same text" : "  the page and the peer DIFFER");
} finally {
  await chrome.close();
  await server.close();
}
