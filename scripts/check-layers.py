#!/usr/bin/env python3
"""Checks that no folder includes a project header that the layer table of
docs/architecture.md does not allow it: a header-only include has no library
behind it, so linking alone would not catch it. Prints each include that
breaks the table and exits 1; exits 0 when there is none."""
import os
import re
import sys

top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
table = open(os.path.join(top, "docs", "architecture.md"), encoding="utf-8").read()

# "| level | `folder/` | library | may include |" rows.
allowed = {}
for level, folder, may in re.findall(r"^\| (\d+) \| `([a-z0-9]+)/` \| [^|]* \| ([^|]*) \|$", table, re.M):
    allowed[folder] = (int(level), may)
folders = set(allowed)


def may_include(folder, other):
    level, may = allowed[folder]
    if "nothing of the project" in may:
        return False
    if "every Qt-free folder" in may:
        return other in ("core", "platform", "md5", "sync", "dupfind", "settings", "messages")
    if "everything above" in may:
        return allowed[other][0] < level
    return re.search(r"\b%s\b" % re.escape(other), may) is not None


include = re.compile(r'^\s*#\s*include\s+"([a-z0-9]+)/', re.M)
broken = []
for folder in sorted(folders):
    for root, _, files in os.walk(os.path.join(top, folder)):
        for name in sorted(files):
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.join(root, name)
            for other in include.findall(open(path, encoding="utf-8").read()):
                if other != folder and other in folders and not may_include(folder, other):
                    broken.append(f"{os.path.relpath(path, top)}: includes {other}/, which {folder}/ may not")
if not folders:
    broken.append("docs/architecture.md: no layer table found")
for line in broken:
    print(line)
sys.exit(1 if broken else 0)
