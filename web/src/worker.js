// Converts off the page's thread, so that the page answers while a long text converts.
import createOrvaniCore from "./orvani-core.mjs";
import { makeConverter } from "./convert.js";

const converterReady = createOrvaniCore().then(makeConverter);

// A request: { id, text or bytes (an ArrayBuffer of UTF-8), source, target, a, ohUh,
// progress }. Answers { id, done } as it goes where progress is asked for, then { id, text }
// or { id, bytes }, or { id, error, position } (position: where bytes stop being UTF-8).
self.onmessage = async ({ data }) => {
  const { id } = data;
  try {
    const convert = await converterReady;
    const onProgress = data.progress ? (done) => self.postMessage({ id, done }) : undefined;
    if (data.bytes === undefined) {
      self.postMessage({ id, text: convert.text(data.text, data, onProgress) });
    } else {
      const { buffer } = convert.bytes(new Uint8Array(data.bytes), data, onProgress);
      self.postMessage({ id, bytes: buffer }, [buffer]);
    }
  } catch (error) {
    self.postMessage({ id, error: String(error.message ?? error), position: error.position });
  }
};
