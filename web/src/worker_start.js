// The worker as a module beside the page, for a page served over http.
export function startWorker() {
  return new Worker(new URL("worker.js", import.meta.url), { type: "module" });
}
