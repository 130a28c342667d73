// The name a converted file is offered under: "letter.txt" from Old to New gives
// "letter-new.txt", "letter-old.txt" gives "letter-new.txt" too, and "letter.old" gives
// "letter.new", the filter's own naming.
export function convertedFileName(name, source, target) {
  const dot = name.lastIndexOf(".");
  const stem = dot > 0 ? name.slice(0, dot) : name;
  const extension = dot > 0 ? name.slice(dot + 1) : "";
  if (extension.toLowerCase() === source) {
    return `${stem}.${target}`;
  }
  const suffix = `-${source}`;
  const base = stem.toLowerCase().endsWith(suffix) ? stem.slice(0, -suffix.length) : stem;
  return `${base}-${target}.${extension || "txt"}`;
}
