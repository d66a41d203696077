#!/usr/bin/env python3
"""Writes the golden lists of the script API, one file per native group, from the native tables
document: every native with its type mask and every constant with its kind and value, in the
order the document lists them. tests/api compares a freshly registered group with its file.

Usage: tools/make-native-golden.py <native tables document> [output directory]
       (default output: tests/api/golden beside this script)

Run it again when the document changes and commit the files it writes; the build never runs it.

The document is Markdown. A section whose heading names natives belongs to one group ("Mixer
natives") or introduces several, each opened by a line "<Group> group ...". Natives stand in
tables whose first column is "native" (several names in one cell are aliases; the second cell
starts with one quoted mask, or one per name separated by " / "). Constants stand in tables of
name and value columns, or in running text after "Constants:" or "<Group> group constants".
"""

import pathlib
import re
import sys

GROUPS = [
    "Matrix", "AnimationSource", "System", "Engine", "Renderer", "Mixer", "Scene", "Instance",
    "Group", "Camera", "Object", "Material", "Light", "Item", "Motion", "Shape", "Constraint",
    "Picture", "Texture", "Sound", "Geometry", "Device", "UI", "ThreadedLoad", "Metafile",
    "Raytracer", "Project", "Trigger", "Emitter",
]

# Section titles that belong to one group as a whole, longest first; the aspect, when there is
# one, puts the section's natives and constants in a file of their own ("Item_physics"), as the
# sources split a large group by aspect.
SECTION_GROUPS = [
    ("Item natives: physics", "Item", "physics"),
    ("Item natives", "Item", None),
    ("Scene natives: physics", "Scene", "physics"),
    ("Scene natives", "Scene", None),
    ("Mixer natives", "Mixer", None),
    ("Material natives", "Material", None),
    ("Renderer natives", "Renderer", None),
    ("Engine natives", "Engine", None),
    ("Project natives", "Project", None),
    ("User interface natives", "UI", None),
    ("Device natives", "Device", None),
]

# The section on the call frame lists the core natives inline; the master registration binds them
# before every group.
CALL_FRAME_TITLE = "Native call frame"

# Values that this build decides itself: the platform it runs on is Linux (PlatformLinuxX86).
VALUE_OVERRIDES = {"g_platform": ("integer", "1")}

NAME = r"[A-Za-z_][A-Za-z0-9_]*"
INLINE_CONSTANT = re.compile(
    r'(?:^|, |: |and )"?(' + NAME + r')"?,? '
    r'(?:an? null handle of type (\d+)|a handle of type (\d+) "[^"]*" with no object|(-?\d+(?:\.\d+)?)\b)')


class Group:
    def __init__(self, name):
        self.name = name
        self.natives = []   # (name, mask)
        self.constants = []  # (kind, name, value)


def clean_name(cell):
    return cell.strip().strip("`").strip('"').strip()


def parse_value(name, text):
    if name in VALUE_OVERRIDES:
        return VALUE_OVERRIDES[name]
    text = text.strip().strip("`")
    handle = re.match(r"(?:an? )?null handle of type (\d+)", text)
    if handle:
        return ("handle", handle.group(1))
    if text in ("true", "false"):
        return ("bool", text)
    number = re.match(r"(-?\d+\.\d+)\b", text)
    if number:
        return ("float", number.group(1))
    number = re.match(r"(-?\d+)\b", text)
    if number:
        return ("integer", number.group(1))
    raise ValueError("constant %s: cannot read the value %r" % (name, text))


def split_row(line):
    cells = line.strip().split("|")
    return [cell.strip() for cell in cells[1:-1]]


class Reader:
    def __init__(self):
        self.groups = {}
        self.section_group = None  # the group file of the current section, or None
        self.group = None
        self.in_natives_section = False
        self.table = None  # "natives", "constants" or None

    def file(self, name):
        if name not in self.groups:
            self.groups[name] = Group(name)
        return self.groups[name]

    def current(self):
        if self.group is None:
            raise ValueError("a table or constant list outside any group")
        return self.file(self.group)

    def heading(self, title):
        self.table = None
        self.group = None
        self.in_natives_section = False
        if title == CALL_FRAME_TITLE:
            self.in_natives_section = True
            self.group = "Core"
            return
        if "natives" not in title:
            return
        self.in_natives_section = True
        for prefix, group, aspect in SECTION_GROUPS:
            if title.startswith(prefix):
                self.group = group + ("_" + aspect if aspect else "")
                return

    def core_line(self, line):
        if "core natives, registered inline" not in line:
            return
        first, _, aliases = line.partition(" again under ")
        core = self.file("Core")
        masks = {}
        for name, mask in re.findall(r'"(' + NAME + r')" "([^"]*)"', first):
            core.natives.append((name, mask))
            masks[name] = mask
        original = re.search(r"`(" + NAME + r")` again under", line).group(1)
        for name in re.findall(r'"(' + NAME + r')"', aliases):
            core.natives.append((name, masks[original]))

    def native_row(self, cells):
        names = [clean_name(name) for name in cells[0].split(",")]
        masks = [re.match(r'\s*"([^"]*)"', part) for part in cells[1].split(" / ")]
        masks = [match.group(1) for match in masks if match]
        if not masks:
            raise ValueError("native %s: no mask in %r" % (names, cells[1]))
        if len(masks) not in (1, len(names)):
            raise ValueError("native %s: %d masks" % (names, len(masks)))
        for index, name in enumerate(names):
            self.current().natives.append((name, masks[index if len(masks) > 1 else 0]))

    def constant_row(self, cells):
        for at in range(0, len(cells) - 1, 2):
            name, value = clean_name(cells[at]), cells[at + 1].strip()
            if not name:
                continue
            ranged = re.match(r"(" + NAME + r"?)(\d+) to \1(\d+)$", name)
            if ranged:
                first = re.match(r"(-?\d+) to (-?\d+)$", value)
                base, low, high = ranged.group(1), int(ranged.group(2)), int(ranged.group(3))
                start = int(first.group(1))
                for offset in range(high - low + 1):
                    self.current().constants.append(("integer", base + str(low + offset), str(start + offset)))
                continue
            kind, parsed = parse_value(name, value)
            self.current().constants.append((kind, name, parsed))

    def inline_constants(self, line):
        for match in INLINE_CONSTANT.finditer(line.partition(":")[2].strip()):
            name = match.group(1)
            if match.group(2) or match.group(3):
                self.current().constants.append(("handle", name, match.group(2) or match.group(3)))
            else:
                kind, value = parse_value(name, match.group(4))
                self.current().constants.append((kind, name, value))

    def line(self, line):
        heading = re.match(r"# \w+ [0-9.]+: (.*)", line)
        if heading:
            self.heading(heading.group(1).strip())
            return
        if not self.in_natives_section:
            return
        if self.group == "Core":
            self.core_line(line)
            return
        if line.startswith("|"):
            cells = split_row(line)
            if self.table is None:
                header = [clean_name(cell).lower() for cell in cells]
                if header and header[0] == "native":
                    self.table = "natives"
                elif header and header[0] in ("name", "constant") and "value" in header:
                    self.table = "constants"
                else:
                    self.table = "other"
                return
            if all(re.fullmatch(r":?-+:?", cell) for cell in cells if cell):
                return
            if self.table == "natives":
                self.native_row(cells)
            elif self.table == "constants":
                self.constant_row(cells)
            return
        self.table = None
        opened = re.match(r"(" + NAME + r") group\b", line)
        if opened and opened.group(1) in GROUPS:
            self.group = opened.group(1)
        if re.match(r"(Constants?\b|" + NAME + r" group constants\b)", line) and ":" in line:
            self.inline_constants(line)


def write(groups, directory):
    directory.mkdir(parents=True, exist_ok=True)
    for name, group in sorted(groups.items()):
        lines = ["# The %s natives and constants in registration order. Written by "
                 "tools/make-native-golden.py; do not edit." % name.replace("_", " ")]
        lines += ["native %s %s" % native for native in group.natives]
        lines += ["%s %s %s" % constant for constant in group.constants]
        (directory / (name + ".txt")).write_text("\n".join(lines) + "\n")


def check(groups):
    """Stops on a native bound by two groups: a later registration would silently replace it."""
    seen = {}
    for name, group in groups.items():
        base = name.split("_")[0]
        for native, _ in group.natives:
            if native in seen and seen[native] != base:
                raise ValueError("native %s in groups %s and %s" % (native, seen[native], base))
            seen[native] = base


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    document = pathlib.Path(sys.argv[1])
    out = pathlib.Path(sys.argv[2]) if len(sys.argv) == 3 else \
        pathlib.Path(__file__).resolve().parent.parent / "tests" / "api" / "golden"
    reader = Reader()
    for line in document.read_text().splitlines():
        reader.line(line)
    # The third registration slot registers nothing; its empty file says so.
    reader.file("Empty")
    for group in GROUPS:
        reader.file(group)
    check(reader.groups)
    write(reader.groups, out)
    for name, group in sorted(reader.groups.items()):
        print("%-16s %4d natives %4d constants" % (name, len(group.natives), len(group.constants)))


if __name__ == "__main__":
    main()
