#!/usr/bin/python3
"""Every npm lock of the project (each package-lock.json below FOLDER..., outside node_modules) holds on a later
day: no dependency in it is declared by a moving tag ("latest", "next", ...) unless an override in its
package.json fixes it. npm ci refuses a lock once such a tag has moved on.  Usage: locks_test.py FOLDER..."""
import json
import os
import re
import sys

# A version, a range, or a URL, path or alias has a digit, an operator or a colon; a tag is a bare word.
TAG = re.compile(r"^[A-Za-z][A-Za-z0-9._-]*$")


def loose(folder):
    lock = json.load(open(os.path.join(folder, "package-lock.json")))
    overrides = json.load(open(os.path.join(folder, "package.json"))).get("overrides", {})
    for where, entry in lock.get("packages", {}).items():
        nested = overrides.get(where.rpartition("node_modules/")[2])
        for kind in ("dependencies", "optionalDependencies", "peerDependencies"):
            for name, declared in (entry.get(kind) or {}).items():
                if TAG.match(declared) and name not in overrides and not (isinstance(nested, dict) and name in nested):
                    yield f"{where or '(root)'} -> {name}@{declared}"


def locks(root):
    for top, dirs, files in os.walk(root):
        dirs[:] = [d for d in dirs if d != "node_modules" and not d.startswith((".", "build"))]
        if "package-lock.json" in files:
            yield top


folders = sorted(top for root in sys.argv[1:] for top in locks(root))
if not folders:
    sys.exit("no package-lock.json below " + " ".join(sys.argv[1:]))
failed = 0
for folder in folders:
    found = list(loose(folder))
    print(f"{folder}: {len(found)} dependencies by a moving tag without an override", *found, sep="\n    ")
    failed += bool(found)
print(f"locks: {len(folders) - failed} passed, {failed} failed")
sys.exit(failed > 0)
