// The standards and options the page was last left with, kept in the browser.
const storageKey = "orvani-converter";

// The window's start state.
export const defaultSettings = { left: "old", right: "new", a: true, ohUh: false };

// `shortNames`: the standards that may be named.
export function loadSettings(shortNames) {
  let saved = {};
  try {
    saved = JSON.parse(localStorage.getItem(storageKey)) ?? {};
  } catch {
    // Storage may be switched off, or hold something else: then the defaults stand.
  }
  const settings = { ...defaultSettings };
  for (const side of ["left", "right"]) {
    if (shortNames.includes(saved[side])) {
      settings[side] = saved[side];
    }
  }
  for (const option of ["a", "ohUh"]) {
    if (typeof saved[option] === "boolean") {
      settings[option] = saved[option];
    }
  }
  return settings;
}

export function saveSettings(settings) {
  try {
    localStorage.setItem(storageKey, JSON.stringify(settings));
  } catch {
    // Not remembered, but the page works on.
  }
}
