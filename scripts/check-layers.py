#!/usr/bin/env python3
"""Refuses an #include that goes against the layer table in docs/architecture.md.

Every C++ file belongs to the deepest folder of the table that holds it (its tests folder
counts as the folder). A quoted include is resolved beside the including file, then from the
source root, then in the test kit folders; it may name:
  - a header of the same folder, or of a folder the including folder may use (the table's
    "may use" column, followed transitively);
  - from a tests folder, bench or fuzz: a test kit header of the kits table whose layer the
    including folder may use (or any, for a kit marked "every layer").
A header under an internal/ folder may be included only from inside the folder that holds it.
A folder marked "no" in the Qt column includes no Qt header (<Q...>, <Qt...>).
Usage: scripts/check-layers.py [source-root]   (exit status 1 with one line per refusal)
"""
import os
import re
import subprocess
import sys

root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                       os.path.join(os.path.dirname(__file__), ".."))
table_file = os.path.join(root, "docs", "architecture.md")


def cells(line):
    return [c.strip() for c in line.strip().strip("|").split("|")]


def names(cell):
    return re.findall(r"`([^`]+)`", cell)


def read_tables():
    layers, kits, section = {}, {}, None
    with open(table_file, encoding="utf-8") as f:
        for line in f:
            if line.startswith("<!-- layers -->"):
                section = "layers"
            elif line.startswith("<!-- kits -->"):
                section = "kits"
            elif not line.startswith("|"):
                if line.strip():
                    section = None
            elif section == "layers":
                row = cells(line)
                folder = names(row[0])
                if folder:
                    libraries = names(row[1])
                    layers[folder[0]] = {"uses": set(names(row[2])),
                                         "library": libraries[0] if libraries else None,
                                         "qt": row[3].lower() != "no"}
            elif section == "kits":
                row = cells(line)
                folder = names(row[0])
                if folder:
                    kits[folder[0]] = {"layer": names(row[1])[0] if names(row[1]) else None,
                                       "headers": set(names(row[2]))}
    return layers, kits


layers, kits = read_tables()
problems = []
for name, layer in layers.items():
    for used in layer["uses"]:
        if used not in layers:
            problems.append(f"docs/architecture.md: {name} may use {used}, which is no layer")


def closure(name):
    seen, todo = set(), [name]
    while todo:
        n = todo.pop()
        for u in layers.get(n, {}).get("uses", ()):
            if u not in seen:
                seen.add(u)
                todo.append(u)
    return seen


reach = {name: closure(name) | {name} for name in layers}


def read_links():
    """Each CMake target's direct links to the project's own libraries."""
    links = {}
    for folder, _, found in os.walk(root):
        if "CMakeLists.txt" not in found or os.path.basename(folder).startswith("build"):
            continue
        with open(os.path.join(folder, "CMakeLists.txt"), encoding="utf-8") as f:
            text = re.sub(r"#.*", "", f.read())
        for m in re.finditer(r"target_link_libraries\s*\(\s*([\w-]+)([^)]*)\)", text):
            links.setdefault(m.group(1), set()).update(re.findall(r"\bcorvo[\w-]*", m.group(2)))
    return links


links = read_links()


def linked(library):
    seen, todo = set(), [library]
    while todo:
        for d in links.get(todo.pop(), ()):
            if d not in seen:
                seen.add(d)
                todo.append(d)
    return seen


def owner(path):
    """(layer, in_tests) of a file path relative to the root, or (None, False)."""
    parts = path.split("/")[:-1]
    in_tests = "tests" in parts
    while parts:
        candidate = "/".join(p for p in parts if p not in ("tests", "internal"))
        if candidate in layers:
            return candidate, in_tests
        parts.pop()
    return None, False


def may_use_folder(layer, in_tests, target_layer):
    if target_layer in reach[layer]:
        return True
    return False


tracked = subprocess.run(["git", "-C", root, "ls-files", "-co", "--exclude-standard",
                          "*.cpp", "*.h"], capture_output=True, text=True, check=True)
files = sorted(p for p in tracked.stdout.split() if os.path.exists(os.path.join(root, p)))
include = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
qt_header = re.compile(r"^Q[A-Za-z]*$|^Qt[A-Za-z]+/")

for path in files:
    layer, in_tests = owner(path)
    if layer is None:
        continue
    here = os.path.dirname(path)
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = include.match(line)
            if not m:
                continue
            where = f"{path}:{number}: "
            kind, name = m.groups()
            if kind == "<":
                if not layers[layer]["qt"] and qt_header.match(name):
                    problems.append(f"{where}{layer} includes no Qt, but <{name}>")
                continue
            candidates = [os.path.normpath(os.path.join(here, name)), os.path.normpath(name)]
            candidates += [os.path.normpath(os.path.join(k, name)) for k in kits]
            target = next((c for c in candidates if os.path.isfile(os.path.join(root, c))), None)
            if target is None:
                problems.append(f'{where}"{name}" is no file of the tree')
                continue
            target_layer, target_in_tests = owner(target)
            if target_layer is None:
                problems.append(f'{where}"{name}" lies outside every layer')
                continue
            parts = target.split("/")
            if "internal" in parts:
                holder = "/".join(parts[:parts.index("internal")])
                if not (here == holder or here.startswith(holder + "/")):
                    problems.append(f'{where}"{name}" is internal to {holder}')
                    continue
            if target_in_tests:
                kit_folder = os.path.dirname(target)
                same_tests = here == kit_folder or target_layer == layer and in_tests
                if same_tests:
                    continue
                kit = kits.get(kit_folder)
                user_may = in_tests or layer in ("bench", "fuzz")
                if kit is None or os.path.basename(target) not in kit["headers"]:
                    problems.append(f'{where}"{name}" is private to the tests of {target_layer}')
                elif not user_may:
                    problems.append(f'{where}"{name}" is a test kit; only tests, bench and fuzz '
                                    f'use it')
                elif kit["layer"] is not None and kit["layer"] not in reach[layer]:
                    problems.append(f'{where}"{name}" is a kit of {kit["layer"]}, which {layer} '
                                    f'may not use')
                continue
            if not may_use_folder(layer, in_tests, target_layer):
                problems.append(f'{where}{layer} may not use {target_layer} ("{name}")')
                continue
            mine, theirs = layers[layer]["library"], layers[target_layer]["library"]
            if (not in_tests and target_layer != layer and mine and theirs
                    and theirs not in linked(mine)):
                problems.append(f'{where}{mine} includes "{name}" but does not link {theirs}')

for p in problems:
    print(p)
if problems:
    print(f"{len(problems)} include(s) against the layer table in docs/architecture.md",
          file=sys.stderr)
    sys.exit(1)
print(f"layers: {len(files)} files follow the table in docs/architecture.md")
