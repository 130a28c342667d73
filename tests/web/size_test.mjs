// What each build of the page loads, its WebAssembly and JavaScript gzipped, stays within
// 100 kB: the page is for phones on slow networks too.
//   node size_test.mjs SITE
import { readdirSync, readFileSync } from "node:fs";
import { join } from "node:path";
import { gzipSync } from "node:zlib";

const site = process.argv[2];
const limit = 100_000;
let names;
try {
  names = readdirSync(site);
} catch {
  console.log(`SKIPPED: no page in ${site}: scripts/web builds it`);
  process.exit(77);
}
const gzipped = (list) =>
  list.reduce((sum, name) => sum + gzipSync(readFileSync(join(site, name)), { level: 9 }).length, 0);
const scripts = names.filter((name) => /\.(m?js|wasm)$/.test(name));
const builds = {
  "over http": scripts.filter((name) => name !== "orvani-file.js"),
  "from disk": ["orvani-file.js"],
};
let failed = 0;
for (const [build, files] of Object.entries(builds)) {
  const size = gzipped(files);
  const fits = size <= limit;
  failed += fits ? 0 : 1;
  console.log(`${fits ? "ok" : "TOO BIG"}: ${build}, ${files.length} files, ${size} bytes gzipped (limit ${limit})`);
}
console.log(`${2 - failed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
