#!/usr/bin/python3
"""Every npm lock of the project (each package-lock.json below FOLDER..., outside node_modules) holds on a later
day: no dependency in it is declared by a moving tag ("latest", "next", ...) unless an override in its
package.json fixes it. npm ci refuses a lock once such a tag has moved on.  Usage: locks_test.py FOLDER..."""
import json
import os
import re
import sys

TAG = re.compile(r"^[A-Za-z][A-Za-z0-9._-]*$")  # a version, range, URL, path or alias has a digit, an operator or a colon

failed = found = 0
for root in sys.argv[1:]:
    for top, dirs, files in os.walk(root):
        dirs[:] = [d for d in dirs if d != "node_modules" and not d.startswith((".", "build"))]
        if "package-lock.json" not in files:
            continue
        found += 1
        lock, package = (json.load(open(os.path.join(top, f))) for f in ("package-lock.json", "package.json"))
        overrides = package.get("overrides", {})
        loose = [f"{where or '(root)'} -> {name}@{declared}" for where, entry in lock.get("packages", {}).items()
                 for kind in ("dependencies", "optionalDependencies", "peerDependencies")
                 for name, declared in (entry.get(kind) or {}).items()
                 if TAG.match(declared) and name not in overrides
                 and not (isinstance(nested := overrides.get(where.rpartition("node_modules/")[2]), dict) and name in nested)]
        print(f"{top}: {len(loose)} dependencies by a moving tag without an override", *loose, sep="\n    ")
        failed += bool(loose)
print(f"locks: {found - failed} passed, {failed} failed")
sys.exit(failed > 0 or not found)
