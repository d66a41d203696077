#!/usr/bin/env python3
"""Fails when code under source/ reaches a higher layer.

Each library may include and link only its own tier and those below it; folders of one tier may
use each other. Sub-folders belong to their folder's tier (render/gl and render/shader to render,
core/nml to core), and source/main.cpp sits on top. Checked:
- every quoted or angled include, resolved to its file whatever its spelling ("engine/x.h",
  "./engine/x.h", "../../engine/x.h", <engine/x.h>): a quoted name is looked for beside the
  including file first, then under source/, as the compiler does;
- an include whose name comes from a macro, which no check can follow: refused in source/;
- each library's link list in the CMakeLists.txt files under source/ (kestrun_add_library's
  DEPENDS and target_link_libraries, for the libraries and programs defined there), against the
  same table; a link list that
  names a variable or a generator expression cannot be checked and is refused.
A folder that is not in the table fails too, so that a new folder is given its place here.

Usage: tools/check-layers.py [repository root]   (default: the repository holding this script)
"""

import os
import re
import sys

# Lowest tier first.
TIERS = [
    "platform core",
    "squirrel",
    "script",
    "geometry render audio physics animation",
    "ui",
    "engine",
    "raytracer",
    "api",
    "viewer",
    "main",
]
TIER = {folder: index for index, names in enumerate(TIERS) for folder in names.split()}

SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cc", ".cpp", ".inl", ".ipp")
INCLUDE = re.compile(r"^\s*#\s*include\b\s*(.*)$")
QUOTED = re.compile(r'^"([^"]+)"')
ANGLED = re.compile(r"^<([^>]+)>")
LIBRARY_CALL = re.compile(r"\b(kestrun_add_library|add_library|add_executable|target_link_libraries)\s*\(", re.IGNORECASE)
LINK_KEYWORDS = {"PUBLIC", "PRIVATE", "INTERFACE", "LINK_PUBLIC", "LINK_PRIVATE", "LINK_INTERFACE_LIBRARIES"}


def folder_of(source_root, path):
    """The top folder under source/ that holds the path, "main" for source/main.cpp, or None."""
    relative = os.path.relpath(path, source_root)
    if relative.startswith(".."):
        return None
    parts = relative.split(os.sep)
    if len(parts) == 1:
        return "main" if parts[0] == "main.cpp" else None
    return parts[0]


def resolve(source_root, including_file, name, quoted):
    """The source/ folder the included name reaches, or None when it is outside source/."""
    candidates = []
    if quoted:
        candidates.append(os.path.join(os.path.dirname(including_file), name))
    candidates.append(os.path.join(source_root, name))
    for candidate in candidates:
        if os.path.isfile(candidate):
            return folder_of(source_root, os.path.realpath(candidate))
    # A name that does not exist (yet) still counts for the folder it names under source/.
    normalised = os.path.normpath(os.path.join(source_root, name))
    folder = folder_of(source_root, normalised)
    return folder if folder in TIER else None


def check_includes(source_root, errors):
    for directory, _, files in sorted(os.walk(source_root)):
        for file_name in sorted(files):
            if not file_name.endswith(SOURCE_SUFFIXES):
                continue
            path = os.path.join(directory, file_name)
            shown = os.path.relpath(path, os.path.dirname(source_root))
            own = folder_of(source_root, path)
            if own not in TIER:
                errors.append(f"{shown}: folder source/{own} has no layer in tools/check-layers.py")
                continue
            with open(path, encoding="utf-8", errors="replace") as stream:
                for number, line in enumerate(stream, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    text = match.group(1)
                    quoted, angled = QUOTED.match(text), ANGLED.match(text)
                    if not quoted and not angled:
                        errors.append(f"{shown}:{number}: includes through a macro ({text.strip()}), "
                                      "which the layer check cannot follow")
                        continue
                    name = (quoted or angled).group(1)
                    target = resolve(source_root, os.path.realpath(path), name, bool(quoted))
                    if target in TIER and TIER[target] > TIER[own]:
                        errors.append(f'{shown}:{number}: includes "{name}" ({target}, tier {TIER[target]}) '
                                      f"above {own} (tier {TIER[own]})")


def cmake_calls(text):
    """Each (command, arguments) of the library commands in a CMakeLists.txt text."""
    text = re.sub(r"#[^\n]*", "", text)
    for match in LIBRARY_CALL.finditer(text):
        depth, end = 1, match.end()
        while end < len(text) and depth:
            depth += {"(": 1, ")": -1}.get(text[end], 0)
            end += 1
        yield match.group(1).lower(), text[match.end():end - 1].split()


def values_of(arguments, keyword):
    """The values of one multi-value keyword of kestrun_add_library."""
    values, taking = [], False
    for argument in arguments:
        if argument in ("DEPENDS", "EXCLUDE"):
            taking = argument == keyword
        elif taking:
            values.append(argument)
    return values


def check_links(source_root, errors):
    libraries = {}  # library name -> folder
    links = []      # (file, library, linked item)
    for directory, _, files in sorted(os.walk(source_root)):
        if "CMakeLists.txt" not in files:
            continue
        path = os.path.join(directory, "CMakeLists.txt")
        shown = os.path.relpath(path, os.path.dirname(source_root))
        folder = folder_of(source_root, path) or "main"
        with open(path, encoding="utf-8") as stream:
            calls = list(cmake_calls(stream.read()))
        for command, arguments in calls:
            if not arguments:
                continue
            library, rest = arguments[0], arguments[1:]
            if command == "target_link_libraries":
                linked = [item for item in rest if item.upper() not in LINK_KEYWORDS]
            else:
                libraries[library] = folder
                linked = values_of(rest, "DEPENDS") if command == "kestrun_add_library" else []
            links.extend((shown, library, item) for item in linked)
    for shown, library, item in links:
        own = libraries.get(library)
        if own is None or own not in TIER:
            errors.append(f"{shown}: links {item} to {library}, which is no library of a folder with a layer")
            continue
        if "${" in item or "$<" in item:
            errors.append(f"{shown}: the link list of {library} names {item}, which the layer check cannot follow")
            continue
        if not item.startswith("kestrun_"):
            continue  # a system or third-party library
        target = libraries.get(item)
        if target not in TIER:
            errors.append(f"{shown}: {library} links {item}, which no folder under source/ defines")
        elif TIER[target] > TIER[own]:
            errors.append(f"{shown}: {library} ({own}, tier {TIER[own]}) links {item} ({target}, tier "
                          f"{TIER[target]})")


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    source_root = os.path.realpath(os.path.join(root, "source"))
    errors = []
    check_includes(source_root, errors)
    check_links(source_root, errors)
    for error in errors:
        print(error)
    if errors:
        print(f"check-layers: {len(errors)} problem(s)")
        return 1
    print("check-layers: every include and link in source/ reaches its own tier or below")
    return 0


if __name__ == "__main__":
    sys.exit(main())
