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
    if (data.error !== undefined) {
      request.reject(Object.assign(new Error(data.error), { position: data.position }));
    } else {
      request.resolve(data.text ?? new Uint8Array(data.bytes));
    }
  };
  worker.onerror = (event) => {
    event.preventDefault();
    for (const request of waiting.values()) {
      request.reject(new Error(event.message || "the converter did not start"));
    }
    waiting.clear();
  };

  // `input`: a string, answered with a string, or an ArrayBuffer of UTF-8, handed over to
  // the worker (it is empty here afterwards) and answered with a Uint8Array of UTF-8.
  // settings: { source, target, a, ohUh }, the standards as indices of `standards`.
  return function convert(input, settings, onProgress) {
    return new Promise((resolve, reject) => {
      const id = ++lastId;
      waiting.set(id, { resolve, reject, onProgress });
      const progress = onProgress !== undefined;
      if (typeof input === "string") {
        worker.postMessage({ id, text: input, ...settings, progress });
      } else {
        worker.postMessage({ id, bytes: input, ...settings, progress }, [input]);
      }
    });
  };
}
