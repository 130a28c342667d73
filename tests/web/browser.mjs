// What the page's tests and benchmark share: a static server on 127.0.0.1 for the page's
// folder, and Debian's Chromium under puppeteer-core, each with a way to stop it.
import { createServer } from "node:http";
import { existsSync } from "node:fs";
import { mkdtemp, readFile, rm } from "node:fs/promises";
import { tmpdir } from "node:os";
import { extname, join, normalize } from "node:path";

export const chromiumPath = process.env.CHROMIUM ?? "/usr/bin/chromium";

// CTest's mark for a test that could not run here.
export const skipCode = 77;

// Exits with skipCode, saying why, where the page, Chromium or puppeteer-core is missing.
export async function requireBrowser(site) {
  const skip = (why) => {
    console.log(`SKIPPED: ${why}`);
    process.exit(skipCode);
  };
  if (!existsSync(join(site, "index.html"))) {
    skip(`no page in ${site}: scripts/web builds it`);
  }
  if (!existsSync(chromiumPath)) {
    skip(`no Chromium at ${chromiumPath}: install the Debian package chromium (.ci/run does)`);
  }
  try {
    return (await import("puppeteer-core")).default;
  } catch {
    return skip("no puppeteer-core: run npm ci in tests/web (scripts/test does where npm is)");
  }
}

const types = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".mjs": "text/javascript; charset=utf-8",
  ".css": "text/css; charset=utf-8",
  ".wasm": "application/wasm",
  ".webmanifest": "application/manifest+json",
  ".svg": "image/svg+xml",
  ".png": "image/png",
  ".txt": "text/plain; charset=utf-8",
};

// Serves `root` at http://127.0.0.1:PORT/ until close(); `extra` maps paths to further
// files (a benchmark's text).
export async function serve(root, extra = {}) {
  const server = createServer(async (request, response) => {
    const path = decodeURIComponent(new URL(request.url, "http://x").pathname);
    const file = extra[path] ?? join(root, normalize(path.endsWith("/") ? `${path}index.html` : path));
    try {
      const body = await readFile(file);
      response.writeHead(200, {
        "Content-Type": types[extname(file)] ?? "application/octet-stream",
        "Cache-Control": "no-cache",
      });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    close: () =>
      new Promise((resolve) => {
        server.close(resolve);
        server.closeAllConnections();
      }),
  };
}

// Chromium headless with a profile of its own, which close() removes; downloads go to the
// folder `downloads`, where given.
export async function launch(puppeteer, downloads) {
  const profile = await mkdtemp(join(tmpdir(), "orvani-chromium-"));
  const browser = await puppeteer.launch({
    executablePath: chromiumPath,
    headless: true,
    userDataDir: profile,
    downloadBehavior: downloads ? { policy: "allow", downloadPath: downloads } : undefined,
    args: [
      "--no-sandbox",
      "--disable-gpu",
      "--no-first-run",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
    ],
  });
  return {
    browser,
    close: async () => {
      await browser.close().catch(() => {});
      await rm(profile, { recursive: true, force: true });
    },
  };
}
