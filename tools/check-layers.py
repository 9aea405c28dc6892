#!/usr/bin/env python3
"""Fails when a product folder includes a folder above it, or the simulation,
the tools or the tests. The product's layers, lowest first; a folder may
include its own layer and those below it."""
import pathlib
import re
import sys

LAYERS = ["resources", "platform", "board", "vtr", "port", "ui", "export", "editor"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')

root = pathlib.Path(__file__).resolve().parent.parent
faults = []
for rank, layer in enumerate(LAYERS):
    for path in sorted((root / layer).rglob("*")):
        if path.suffix not in (".cpp", ".h", ".rc"):
            continue
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = match.group(1)
            if target not in LAYERS or LAYERS.index(target) > rank:
                faults.append(f"{path.relative_to(root)}:{number}: {layer}/ includes {target}/")
for fault in faults:
    print(fault)
if faults:
    print(f"{len(faults)} includes against the layers {' < '.join(LAYERS)}")
sys.exit(1 if faults else 0)
