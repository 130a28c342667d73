// The worker for a page opened from disk, where a worker cannot load from a file: its whole
// source, the core included, is carried in the page's script (workerSource, put there as the
// page is built) and started from memory.
export function startWorker() {
  const source = new Blob([workerSource], { type: "text/javascript" });
  return new Worker(URL.createObjectURL(source));
}
