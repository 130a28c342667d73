// The page: the window's text boxes, standards, options, Convert, Copy and Paste, and beyond
// it conversion as you type, the swap button, files and remembered settings.
import { controls, optionPanels, standards } from "./window_text.js";
import { loadSettings, saveSettings } from "./settings.js";
import { convertedFileName } from "./file_names.js";
import { startWorker } from "./worker_start.js";
import { startConverter } from "./client.js";

// Longer texts (in UTF-16 units) wait for Convert: each keystroke would convert them anew.
const liveLimit = 300_000;
// Texts from this size on (in UTF-16 units, or a file's bytes) show a progress bar.
const progressFrom = 2_000_000;
// Files up to this size in bytes are shown in the boxes too; longer ones would make them
// sluggish.
const shownLimit = 1_000_000;

const byId = (id) => document.getElementById(id);
const txtL = byId("txtL");
const txtR = byId("txtR");
const comL = byId("comL");
const comR = byId("comR");
const chkA = byId("chkA");
const chkOU = byId("chkOU");
const progress = byId("progress");
const status = byId("status");

const convert = startConverter(startWorker());
const shortNames = standards.map((standard) => standard.short);
let latest = 0; // the last conversion asked for: only its result is shown
let download = null; // the object URL of the file last converted

for (const list of [comL, comR]) {
  for (const standard of standards) {
    list.add(new Option(standard.name, standard.short));
  }
}

function nameOf(short) {
  return standards[shortNames.indexOf(short)].name;
}

function pair() {
  return {
    source: shortNames.indexOf(comL.value),
    target: shortNames.indexOf(comR.value),
    a: chkA.checked,
    ohUh: chkOU.checked,
  };
}

function say(message, link) {
  status.replaceChildren(message);
  if (link) {
    status.append(" ", link);
  }
}

function showProgress(done) {
  progress.hidden = false;
  progress.value = done;
}

// The panel as the window shows it for the pair; a hidden box keeps its state and its effect.
function showOptions() {
  const panel = optionPanels[`${comL.value}>${comR.value}`];
  byId("options").hidden = !panel;
  if (panel) {
    byId("capOU").textContent = panel.ohUh;
    byId("rowA").hidden = panel.a === null;
    if (panel.a !== null) {
      byId("capA").textContent = panel.a;
    }
  }
  byId("lblTxtL").textContent = `${nameOf(comL.value)} text`;
  byId("lblTxtR").textContent = `${nameOf(comR.value)} text`;
}

function remember() {
  saveSettings({ left: comL.value, right: comR.value, a: chkA.checked, ohUh: chkOU.checked });
}

async function run(text, onProgress) {
  const id = ++latest;
  try {
    const result = await convert(text, pair(), onProgress);
    return id === latest ? result : null;
  } finally {
    if (id === latest) {
      progress.hidden = true;
    }
  }
}

async function convertBoxes() {
  const text = txtL.value;
  say("");
  try {
    const result = await run(text, text.length >= progressFrom ? showProgress : undefined);
    if (result !== null) {
      txtR.value = result;
    }
  } catch (error) {
    say(`Could not convert: ${error.message}`);
  }
}

function convertAsTyped() {
  if (txtL.value.length <= liveLimit) {
    convertBoxes();
  } else {
    say(`Long text: press ${controls.cmdConv.caption} to convert it.`);
  }
}

async function convertFile(file) {
  const bytes = await file.arrayBuffer();
  const shown = bytes.byteLength <= shownLimit;
  // The byte-order mark is kept, so that the converted file starts as the original did.
  const decoder = new TextDecoder("utf-8", { ignoreBOM: true });
  const original = shown ? decoder.decode(bytes) : null;
  const source = comL.value;
  const target = comR.value;
  say(`Converting ${file.name} …`);
  let result;
  try {
    // A file goes to the worker as bytes and comes back as bytes: long ones never become
    // strings, which would take longer than the conversion itself.
    result = await run(bytes, bytes.byteLength >= progressFrom ? showProgress : undefined);
  } catch (error) {
    say(
      error.position === undefined
        ? `Could not convert ${file.name}: ${error.message}`
        : `${file.name} is not UTF-8 text (from byte ${error.position} on): save it as UTF-8 and try again.`,
    );
    return;
  }
  if (result === null) {
    return;
  }
  if (shown) {
    txtL.value = original;
    txtR.value = decoder.decode(result);
  }
  if (download) {
    URL.revokeObjectURL(download);
  }
  download = URL.createObjectURL(new Blob([result], { type: "text/plain;charset=utf-8" }));
  const link = document.createElement("a");
  link.id = "download";
  link.href = download;
  link.download = convertedFileName(file.name, source, target);
  link.textContent = `Download ${link.download}`;
  say(`${file.name}: converted from ${nameOf(source)} to ${nameOf(target)}.`, link);
}

function swap() {
  [comL.value, comR.value] = [comR.value, comL.value];
  txtL.value = txtR.value;
  showOptions();
  remember();
  convertBoxes();
}

async function copy() {
  if (txtR.value === "") {
    return;
  }
  try {
    await navigator.clipboard.writeText(txtR.value);
    say("Copied.");
  } catch {
    say("The browser did not let the page copy: select the right text and press Ctrl+C.");
  }
}

async function paste() {
  try {
    txtL.value = await navigator.clipboard.readText();
  } catch {
    say("The browser did not let the page read the clipboard: press Ctrl+V in the left box.");
    return;
  }
  convertAsTyped();
}

const saved = loadSettings(shortNames);
comL.value = saved.left;
comR.value = saved.right;
chkA.checked = saved.a;
chkOU.checked = saved.ohUh;
showOptions();

for (const control of [comL, comR, chkA, chkOU]) {
  control.addEventListener("change", () => {
    showOptions();
    remember();
    convertAsTyped();
  });
}
txtL.addEventListener("input", convertAsTyped);
txtL.addEventListener("keydown", (event) => {
  if (event.key === "Enter" && event.ctrlKey) {
    event.preventDefault();
    convertBoxes();
  }
});
byId("cmdConv").addEventListener("click", convertBoxes);
byId("cmdSwap").addEventListener("click", swap);
byId("cmdCopy").addEventListener("click", copy);
byId("cmdPaste").addEventListener("click", paste);

const chooser = byId("file");
chooser.addEventListener("change", () => {
  if (chooser.files.length > 0) {
    convertFile(chooser.files[0]);
  }
  chooser.value = "";
});

// Files dropped anywhere on the page; text dropped into a box stays the browser's.
const veil = byId("dropVeil");
const carriesFiles = (event) => event.dataTransfer?.types.includes("Files");
document.addEventListener("dragover", (event) => {
  if (carriesFiles(event)) {
    event.preventDefault();
    event.dataTransfer.dropEffect = "copy";
    veil.hidden = false;
  }
});
document.addEventListener("dragleave", (event) => {
  if (event.relatedTarget === null) {
    veil.hidden = true;
  }
});
document.addEventListener("drop", (event) => {
  if (carriesFiles(event)) {
    event.preventDefault();
    veil.hidden = true;
    if (event.dataTransfer.files.length > 0) {
      convertFile(event.dataTransfer.files[0]);
    }
  }
});

if (txtL.value !== "") {
  convertAsTyped();
}

if ("serviceWorker" in navigator && location.protocol !== "file:") {
  navigator.serviceWorker.register("sw.js").catch((error) => {
    say(`This page will not work offline: ${error.message}`);
  });
}
