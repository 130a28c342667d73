// Converts off the page's thread, so that the page answers while a long text converts.
import createOrvaniCore from "./orvani-core.mjs";
import { makeConverter } from "./convert.js";

const converterReady = createOrvaniCore().then(makeConverter);

// A request: { id, text, source, target, a, ohUh, progress }. Answers { id, done } as it goes
// where progress is asked for, then { id, text } or { id, error }.
self.onmessage = async ({ data }) => {
  const { id } = data;
  try {
    const convert = await converterReady;
    const onProgress = data.progress ? (done) => self.postMessage({ id, done }) : undefined;
    self.postMessage({ id, text: convert(data.text, data, onProgress) });
  } catch (error) {
    self.postMessage({ id, error: String(error) });
  }
};
