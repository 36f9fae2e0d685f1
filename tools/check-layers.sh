#!/usr/bin/env bash
# Checks that the code keeps its layers: every source under src/ may include
# only headers of its own folder and of the folders whose libraries its
# library links (directly or through them), and the libraries form no cycle.
# The links are read from the folders' CMakeLists.txt. Exits 1 and names
# every offending include, or the cycle, when the layers are broken.
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 - "$@" <<'PY'
import os, re, sys

SRC = "src"
TARGET = re.compile(r"add_(?:library|executable)\(\s*([\w-]+)")
LINKS = re.compile(r"target_link_libraries\(\s*([\w-]+)([^)]*)\)", re.S)
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)

folder_targets = {}   # folder -> the targets its CMakeLists.txt makes
links = {}            # target -> targets it links
for root, _, files in os.walk(SRC):
    if "CMakeLists.txt" not in files:
        continue
    text = open(os.path.join(root, "CMakeLists.txt")).read()
    folder = os.path.relpath(root, SRC)
    folder_targets[folder] = TARGET.findall(text)
    for name, args in LINKS.findall(text):
        words = re.sub(r"\$\{[^}]*\}", " ", args).split()
        links.setdefault(name, set()).update(w for w in words if w not in ("PUBLIC", "PRIVATE", "INTERFACE"))

ours = {t for ts in folder_targets.values() for t in ts}
owner = {t: f for f, ts in folder_targets.items() for t in ts}
for t in ours:
    links[t] = {d for d in links.get(t, ()) if d in ours}

def closure(target, path=()):
    if target in path:
        sys.exit("check-layers: the libraries form a cycle: " + " -> ".join(path + (target,)))
    seen = set()
    for dep in links[target]:
        seen |= {dep} | closure(dep, path + (target,))
    return seen

reach = {t: closure(t) for t in ours}

def folder_of_header(include):
    parts = include.split("/")[:-1]
    while parts:
        candidate = "/".join(parts)
        if candidate in folder_targets:
            return candidate
        parts.pop()
    return None

problems = []
for folder, targets in sorted(folder_targets.items()):
    allowed = {folder}
    for t in targets:
        allowed |= {owner[d] for d in reach[t]}
    base = os.path.join(SRC, folder)
    for name in sorted(os.listdir(base)):
        if not name.endswith((".h", ".cpp", ".c")):
            continue
        text = open(os.path.join(base, name)).read()
        for include in INCLUDE.findall(text):
            target_folder = folder_of_header(include)
            if target_folder is not None and target_folder not in allowed:
                problems.append(f"{folder}/{name}: includes {include}, but {folder} does not link {target_folder}")

if problems:
    print("\n".join(problems))
    sys.exit(f"check-layers: {len(problems)} include(s) cross the layers")
print(f"check-layers: {len(folder_targets)} folders, {len(ours)} targets, no include crosses the layers")
PY
