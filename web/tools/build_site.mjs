// Builds the page's folder from web/src and the Emscripten outputs:
//  - window_text.js, written by make_window_text from the window's tables;
//  - index.html with those captions filled in and a Content-Security-Policy that lets the
//    page reach nothing but its own files;
//  - the modules and the core as an ES module and its .wasm, for a page served over http;
//  - orvani-file.js, the same modules joined into one classic script with the worker's
//    source (the one-file core inside) carried as a string, for a page opened from disk;
//  - sw.js, listing the files to cache under a name taken from their content.
// Prints the gzipped size of what each build loads.
import { execFileSync } from "node:child_process";
import { createHash } from "node:crypto";
import { copyFileSync, mkdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { basename, join } from "node:path";
import { pathToFileURL } from "node:url";
import { gzipSync } from "node:zlib";

function parseArguments(argv) {
  const options = {};
  let key = null;
  for (const argument of argv) {
    if (argument.startsWith("--")) {
      key = argument.slice(2);
      options[key] = [];
    } else {
      options[key].push(argument);
    }
  }
  return options;
}

const options = parseArguments(process.argv.slice(2));
const [sources] = options.sources;
const [out] = options.out;
const read = (name) => readFileSync(join(sources, name), "utf8");

rmSync(out, { recursive: true, force: true });
mkdirSync(out, { recursive: true });
const written = new Map(); // name -> content, of every file in the folder
function write(name, content) {
  writeFileSync(join(out, name), content);
  written.set(name, content);
}

const windowText = execFileSync(process.execPath, options["window-text"], { encoding: "utf8" });
write("window_text.js", windowText);
const text = await import(pathToFileURL(join(out, "window_text.js")).href);

function fill(template, values) {
  return template.replace(/\{\{([\w.]+)\}\}/g, (_, path) => {
    const value = path.split(".").reduce((object, key) => object?.[key], values);
    if (value === undefined) {
      throw new Error(`build_site: nothing to fill in for {{${path}}}`);
    }
    return value;
  });
}

const escapeHtml = (value) =>
  String(value).replace(/[&<>"]/g, (c) => ({ "&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;" })[c]);
const htmlValues = (object) =>
  Object.fromEntries(
    Object.entries(object).map(([key, value]) => [
      key,
      typeof value === "object" && value !== null ? htmlValues(value) : escapeHtml(value),
    ]),
  );

// The modules joined for a classic script: each module's imports are of names that an
// earlier module in the list declares, and every top-level name is unique across them.
function stripModule(name, source) {
  const stripped = source
    .replace(/^import [^;]+ from "[^"]+";\n/gm, "")
    .replace(/^export (?=(const|let|function|async function|class) )/gm, "");
  if (/^\s*(import|export)\b|import\.meta/m.test(stripped)) {
    throw new Error(`build_site: ${name} has an import or export that a classic script cannot hold`);
  }
  return `// ${name}\n${stripped}`;
}
const joined = (names, files) => names.map((name) => stripModule(name, files(name))).join("\n");

const [core] = options.core;
const coreWasm = core.replace(/\.mjs$/, ".wasm");
const [single] = options.single;
const workerSource = [
  readFileSync(single, "utf8"),
  joined(["convert.js", "worker.js"], read),
].join("\n");
const fileBuild = [
  `// ${text.title} ${text.version}, the page's script for a page opened from disk.`,
  "(() => {",
  '"use strict";',
  `const workerSource = ${JSON.stringify(workerSource)};`,
  joined(
    ["window_text.js", "settings.js", "file_names.js", "worker_start_file.js", "client.js", "app.js"],
    (name) => (name === "window_text.js" ? windowText : read(name)),
  ),
  "})();",
  "",
].join("\n");
write("orvani-file.js", fileBuild);

const modules = ["app.js", "client.js", "convert.js", "file_names.js", "settings.js", "worker.js",
  "worker_start.js"];
for (const name of [...modules, "style.css"]) {
  write(name, read(name));
}
write(basename(core), readFileSync(core));
write(basename(coreWasm), readFileSync(coreWasm));
write("icon.svg", readFileSync(options.emblem[0]));
for (const icon of options.icons) {
  write(basename(icon), readFileSync(icon));
}
write("manifest.webmanifest", fill(read("manifest.webmanifest"), { title: text.title }));

const loader = read("loader.js").trim();
const loaderHash = createHash("sha256").update(loader).digest("base64");
// The page reaches nothing but its own files: the worker of the one-file build starts from
// memory (blob:), the download is made in memory, and WebAssembly is compiled in place.
const csp = [
  "default-src 'self'",
  `script-src 'self' 'wasm-unsafe-eval' 'sha256-${loaderHash}'`,
  "worker-src 'self' blob:",
  "connect-src 'self' data:",
  "img-src 'self' data: blob:",
  "style-src 'self'",
  "object-src 'none'",
  "base-uri 'none'",
  "form-action 'none'",
].join("; ");
write(
  "index.html",
  fill(read("index.html"), { ...htmlValues(text), csp, loader }),
);

// Everything a page served over http loads; the one-file script is for disks only.
const cached = [...written.keys()].filter((name) => name !== "orvani-file.js").sort();
const hash = createHash("sha256");
for (const name of cached) {
  hash.update(name).update(written.get(name));
}
const cacheName = `orvani-converter-${text.version}-${hash.digest("hex").slice(0, 12)}`;
write("sw.js", fill(read("sw.js"), { cacheName, files: JSON.stringify(["./", ...cached], null, 2) }));

const gzipped = (names) => names.reduce((sum, name) => sum + gzipSync(written.get(name), { level: 9 }).length, 0);
const httpScripts = [...modules, "window_text.js", basename(core), basename(coreWasm)];
const kB = (bytes) => `${(bytes / 1000).toFixed(1)} kB`;
console.log(
  `build_site: ${out}: wasm and JavaScript gzipped: ${kB(gzipped(httpScripts))} over http ` +
    `(ES modules and ${basename(coreWasm)}), ${kB(gzipped(["orvani-file.js"]))} from disk ` +
    "(orvani-file.js)",
);
