// The page's side of the worker: each request a promise of its converted text.
export function startConverter(worker) {
  const waiting = new Map();
  let lastId = 0;

  worker.onmessage = ({ data }) => {
    const request = waiting.get(data.id);
    if (!request) {
      return;
    }
    if (data.done !== undefined) {
      request.onProgress?.(data.done);
      return;
    }
    waiting.delete(data.id);
    if (data.error === undefined) {
      request.resolve(data.text);
    } else {
      request.reject(new Error(data.error));
    }
  };
  worker.onerror = (event) => {
    event.preventDefault();
    for (const request of waiting.values()) {
      request.reject(new Error(event.message || "the converter did not start"));
    }
    waiting.clear();
  };

  // settings: { source, target, a, ohUh }, the standards as indices of `standards`.
  return function convert(text, settings, onProgress) {
    return new Promise((resolve, reject) => {
      const id = ++lastId;
      waiting.set(id, { resolve, reject, onProgress });
      worker.postMessage({ id, text, ...settings, progress: onProgress !== undefined });
    });
  };
}
