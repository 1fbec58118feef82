#!/usr/bin/env python3
"""Builds the one-file page of holestress.

    build_page.py TEMPLATE MODULE_JS OUT_HTML

Inlines the analysis module (the Emscripten output, built with -sSINGLE_FILE=1 so that the
WebAssembly is inside it) and page.js (next to TEMPLATE) into the template's two script elements,
and writes the content security policy: no source but the two scripts, by their SHA-256, and the
module's own embedded WebAssembly. The page fetches nothing and works from a file:// URL.
"""
import base64
import hashlib
import os
import re
import sys

POLICY = ("default-src 'none'; script-src {hashes} 'wasm-unsafe-eval'; style-src 'unsafe-inline'; "
          # The module reads its embedded WebAssembly through fetch() of its data: URL.
          "connect-src data:; img-src data: blob:; base-uri 'none'; form-action 'none'")


def script_body(js, name):
    """The JS as the text of a <script> element: no end tag or comment opener inside it."""
    js = re.sub(r"</(script)", r"<\\/\1", js, flags=re.IGNORECASE)
    if "<!--" in js:
        raise SystemExit("build_page.py: %s holds '<!--', which cannot go into a script element" % name)
    return js


def main():
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    template_path, module_path, out_path = sys.argv[1:]
    with open(template_path, encoding="utf-8") as f:
        template = f.read()
    with open(module_path, encoding="utf-8") as f:
        module = script_body(f.read(), module_path)
    page_js_path = os.path.join(os.path.dirname(os.path.abspath(template_path)), "page.js")
    with open(page_js_path, encoding="utf-8") as f:
        page_js = script_body(f.read(), page_js_path)
    for mark in ("@CSP@", "/*@MODULE_JS@*/", "/*@PAGE_JS@*/"):
        if template.count(mark) != 1:
            raise SystemExit("build_page.py: %s must hold %s exactly once" % (template_path, mark))
    if re.search(r"\bsrc\s*=|\bhref\s*=", template):
        raise SystemExit("build_page.py: the template refers to an outside resource")
    hashes = " ".join("'sha256-%s'" % base64.b64encode(hashlib.sha256(js.encode("utf-8")).digest())
                      .decode("ascii") for js in (module, page_js))
    parts = {"@CSP@": POLICY.format(hashes=hashes), "/*@MODULE_JS@*/": module, "/*@PAGE_JS@*/": page_js}
    # One pass over the template: nothing inserted is searched for marks again.
    page = re.sub(r"@CSP@|/\*@MODULE_JS@\*/|/\*@PAGE_JS@\*/", lambda m: parts[m.group(0)], template)
    tmp = out_path + ".tmp"
    with open(tmp, "w", encoding="utf-8", newline="\n") as f:
        f.write(page)
    os.replace(tmp, out_path)


if __name__ == "__main__":
    main()
