// The page's one road from text to converted text, for typing, the Convert button and files
// alike: the core in WebAssembly, with NFC in front only where the core says it may matter.

// A text converts in slices of about this many UTF-16 units or bytes, so that the buffers stay
// small and a long text reports its progress.
const sliceLength = 1 << 20;

const isAsciiLetter = (c) => (c | 0x20) >= 0x61 && (c | 0x20) <= 0x7a;

// The first position from `from` on that holds an ASCII character other than a letter, or the
// end: no two-letter spelling and no composition spans one, so the parts before and from it
// convert apart exactly as the whole does. `at(i)` gives the code unit or byte at i.
function independentCut(length, at, from) {
  for (let i = from; i < length; i++) {
    const c = at(i);
    if (c < 0x80 && !isAsciiLetter(c)) {
      return i;
    }
  }
  return length;
}

// Bytes that are not UTF-8, from `position` on.
export class NotUtf8Error extends Error {
  constructor(position) {
    super(`not UTF-8 from byte ${position} on`);
    this.position = position;
  }
}

// `core` is the Emscripten module of web/core_api.cpp. Gives converters of a string to a
// string (the text boxes) and of UTF-8 bytes to UTF-8 bytes (files, which so never become
// strings at all).
export function makeConverter(core) {
  const encoder = new TextEncoder();
  const decoder = new TextDecoder("utf-8", { ignoreBOM: true });

  // Converts the input buffer's first `size` bytes; answers where the result lies.
  function convertInput(size, { source, target, a, ohUh }, offset) {
    const written = core._orvani_convert(size, source, target, a ? 1 : 0, ohUh ? 1 : 0);
    if (written < 0) {
      throw new NotUtf8Error(offset + core._orvani_stopped_at());
    }
    const output = core._orvani_output();
    // Taken after the call: growing the memory replaces the view.
    return core.HEAPU8.subarray(output, output + written);
  }

  function convertString(text, settings) {
    const room = text.length * 3;
    const input = core._orvani_input(room);
    const { written } = encoder.encodeInto(text, core.HEAPU8.subarray(input, input + room));
    return decoder.decode(convertInput(written, settings, 0));
  }

  function convertUtf8(bytes, settings, offset) {
    core.HEAPU8.set(bytes, core._orvani_input(bytes.length));
    return convertInput(bytes.length, settings, offset).slice();
  }

  // Calls onProgress(fraction done) after each slice, where given.
  function inSlices(input, at, convertSlice, onProgress) {
    const parts = [];
    for (let start = 0; start < input.length; ) {
      const end =
        input.length - start <= sliceLength
          ? input.length
          : independentCut(input.length, at, start + sliceLength);
      parts.push(convertSlice(start, end));
      start = end;
      onProgress?.(start / input.length);
    }
    return parts;
  }

  // Canonically equivalent texts, an accent typed on its own or with its letter, convert
  // alike: a slice that may not be NFC is brought to NFC and converted again.
  function text(input, settings, onProgress) {
    const at = (i) => input.charCodeAt(i);
    return inSlices(input, at, (start, end) => {
      const slice = input.slice(start, end);
      const converted = convertString(slice, settings);
      if (!core._orvani_may_compose()) {
        return converted;
      }
      const nfc = slice.normalize("NFC");
      return nfc === slice ? converted : convertString(nfc, settings);
    }, onProgress).join("");
  }

  function bytes(input, settings, onProgress) {
    const at = (i) => input[i];
    const parts = inSlices(input, at, (start, end) => {
      const slice = input.subarray(start, end);
      const converted = convertUtf8(slice, settings, start);
      if (!core._orvani_may_compose()) {
        return converted;
      }
      const original = decoder.decode(slice);
      const nfc = original.normalize("NFC");
      return nfc === original ? converted : convertUtf8(encoder.encode(nfc), settings, start);
    }, onProgress);
    const whole = new Uint8Array(parts.reduce((sum, part) => sum + part.length, 0));
    let filled = 0;
    for (const part of parts) {
      whole.set(part, filled);
      filled += part.length;
    }
    return whole;
  }

  return { text, bytes };
}
