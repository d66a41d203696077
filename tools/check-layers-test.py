#!/usr/bin/env python3
"""Self-test of tools/check-layers.py: it must pass a small tree that keeps the layers and refuse
each wrong tree of the table, so that the check cannot silently stop checking.

Usage: tools/check-layers-test.py
"""

import os
import subprocess
import sys
import tempfile

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check-layers.py")

# A tree that keeps the layers: includes of its own folder, of lower tiers, of the same tier and
# of the system, in every spelling, and link lists that point down.
GOOD = {
    "source/CMakeLists.txt": "add_executable(Kestrun main.cpp)\ntarget_link_libraries(Kestrun PRIVATE kestrun_ui)\n",
    "source/main.cpp": '#include "ui/u.h"\n',
    "source/core/CMakeLists.txt": "kestrun_add_library(kestrun_core)\n",
    "source/core/c.h": "#pragma once\n",
    "source/render/CMakeLists.txt": "kestrun_add_library(kestrun_render EXCLUDE gl DEPENDS kestrun_core)\n",
    "source/render/r.h": '#include "../core/c.h"\n',
    "source/render/gl/CMakeLists.txt": "kestrun_add_library(kestrun_render_gl DEPENDS kestrun_render)\n",
    "source/audio/CMakeLists.txt": "kestrun_add_library(kestrun_audio DEPENDS kestrun_render_gl)\n",
    "source/audio/a.h": "#include <render/r.h>\n",
    "source/ui/CMakeLists.txt": (
        "# kestrun_engine would be upward, but this is a comment\n"
        "kestrun_add_library(kestrun_ui DEPENDS\n  kestrun_render kestrun_core)\n"
        "target_link_libraries(kestrun_ui PRIVATE PkgConfig::FREETYPE Threads::Threads)\n"),
    "source/ui/u.h": '#pragma once\n#include "core/c.h"\n#include <vector>\n#include "u2.h"\n',
    "source/ui/u2.h": "#pragma once\n",
    "source/ui/sub/s.cpp": '#include "../u.h"\n#include "../../render/r.h"\n#include "./t.h"\n',
    "source/ui/sub/t.h": "#pragma once\n",
    "source/engine/CMakeLists.txt": "kestrun_add_library(kestrun_engine DEPENDS kestrun_ui)\n",
    "source/engine/e.h": "#pragma once\n",
}

# What each wrong tree changes in the good one.
WRONG = [
    ("a plain upward include", {"source/ui/u2.h": '#include "engine/e.h"\n'}),
    ("an upward include with spaces", {"source/ui/u2.h": '  #  include   "engine/e.h"\n'}),
    ("an upward include through ./", {"source/ui/u2.h": '#include "./engine/e.h"\n'}),
    ("an upward include through ../", {"source/ui/u2.h": '#include "../engine/e.h"\n'}),
    ("an upward include through ../../", {"source/ui/sub/t.h": '#include "../../engine/e.h"\n'}),
    ("an upward include through a detour", {"source/ui/sub/t.h": '#include "../../core/../engine/e.h"\n'}),
    ("an angled upward include", {"source/ui/u2.h": "#include <engine/e.h>\n"}),
    ("an upward include of a file not there", {"source/ui/u2.h": '#include "engine/missing.h"\n'}),
    ("an include through a macro", {"source/ui/u2.h": "#define HEADER <vector>\n#include HEADER\n"}),
    ("a folder without a layer", {"source/extra/x.cpp": "int x;\n"}),
    ("an upward DEPENDS", {"source/ui/CMakeLists.txt": "kestrun_add_library(kestrun_ui DEPENDS kestrun_engine)\n"}),
    ("an upward DEPENDS after EXCLUDE",
     {"source/render/CMakeLists.txt": "kestrun_add_library(kestrun_render EXCLUDE gl DEPENDS kestrun_ui)\n"}),
    ("an upward target_link_libraries over lines",
     {"source/core/CMakeLists.txt": "kestrun_add_library(kestrun_core)\ntarget_link_libraries(\n  kestrun_core\n"
                                    "  PUBLIC Threads::Threads\n  PRIVATE kestrun_engine)\n"}),
    ("a link through a variable",
     {"source/ui/CMakeLists.txt": "kestrun_add_library(kestrun_ui)\nset(extra kestrun_engine)\n"
                                  "target_link_libraries(kestrun_ui PRIVATE ${extra})\n"}),
    ("a link to a library no folder defines",
     {"source/ui/CMakeLists.txt": "kestrun_add_library(kestrun_ui DEPENDS kestrun_launcher_model)\n"}),
]


def run_check(files):
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as stream:
                stream.write(text)
        result = subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)
        return result.returncode, result.stdout


def main():
    failures = 0
    code, output = run_check(GOOD)
    if code != 0:
        print(f"check-layers-test: the good tree was refused:\n{output}")
        failures += 1
    for name, change in WRONG:
        code, output = run_check({**GOOD, **change})
        if code == 0:
            print(f"check-layers-test: {name} was not refused")
            failures += 1
    if failures:
        print(f"check-layers-test: {failures} case(s) wrong")
        return 1
    print(f"check-layers-test: the good tree passes and all {len(WRONG)} wrong trees are refused")
    return 0


if __name__ == "__main__":
    sys.exit(main())
