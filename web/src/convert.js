// The page's one road from text to converted text, for typing, the Convert button and files
// alike: the core in WebAssembly, with NFC in front only where the core says it may matter.

// A text converts in slices of about this many UTF-16 units, so that the buffers stay small
// and a long text reports its progress.
const sliceLength = 1 << 20;

// The first position from `from` on that holds an ASCII character other than a letter, or
// the text's end: no two-letter spelling and no composition spans one, so the parts before
// and from it convert apart exactly as the whole does.
export function independentCut(text, from) {
  for (let i = from; i < text.length; i++) {
    const c = text.charCodeAt(i);
    const letter = (c | 0x20) >= 0x61 && (c | 0x20) <= 0x7a;
    if (c < 0x80 && !letter) {
      return i;
    }
  }
  return text.length;
}

// `core` is the Emscripten module of web/core_api.cpp.
export function makeConverter(core) {
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();

  function convertSlice(text, { source, target, a, ohUh }) {
    const room = text.length * 3;
    const input = core._orvani_input(room);
    // Taken after the call: growing the memory replaces the view.
    const { written } = encoder.encodeInto(text, core.HEAPU8.subarray(input, input + room));
    const size = core._orvani_convert(written, source, target, a ? 1 : 0, ohUh ? 1 : 0);
    if (size < 0) {
      throw new Error("the core could not convert the text");
    }
    const output = core._orvani_output();
    return decoder.decode(core.HEAPU8.subarray(output, output + size));
  }

  // Calls onProgress(fraction done) after each slice, where given.
  return function convert(text, settings, onProgress) {
    const parts = [];
    for (let start = 0; start < text.length; ) {
      const end =
        text.length - start <= sliceLength ? text.length : independentCut(text, start + sliceLength);
      const slice = text.slice(start, end);
      let converted = convertSlice(slice, settings);
      if (core._orvani_may_compose()) {
        // Canonically equivalent texts, an accent typed on its own or with its letter,
        // convert alike.
        const nfc = slice.normalize("NFC");
        if (nfc !== slice) {
          converted = convertSlice(nfc, settings);
        }
      }
      parts.push(converted);
      start = end;
      onProgress?.(start / text.length);
    }
    return parts.join("");
  };
}
