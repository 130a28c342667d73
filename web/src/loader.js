// Module scripts, module workers and the manifest do not load from file://: there the
// one-file build, a classic script with the core inside, stands in for the modules.
(() => {
  const script = document.createElement("script");
  if (location.protocol === "file:") {
    script.src = "orvani-file.js";
  } else {
    const manifest = document.createElement("link");
    manifest.rel = "manifest";
    manifest.href = "manifest.webmanifest";
    document.head.append(manifest);
    script.type = "module";
    script.src = "app.js";
  }
  document.body.append(script);
})();
