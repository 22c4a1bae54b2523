#!/usr/bin/env python3
"""The layer check fails on an upward include of every form that compiles,
and passes the same forms pointing downward.

Usage: check_layers_test.py PATH_TO_CHECK_LAYERS
"""
import os
import subprocess
import sys
import tempfile

# (file that includes, include line, whether it is upward)
CASES = [
    ("engine/sprite/Node.h", '#include "engine/scene/Scene.h"', True),
    ("engine/sprite/Node.h", "#include <engine/scene/Scene.h>", True),
    ("engine/sprite/Node.h", '#include "../scene/Scene.h"', True),
    ("engine/sprite/Node.cpp", '  #  include "../scene/Scene.h"', True),
    ("engine/sprite/Node.h", '#include "engine/sprite/../scene/Scene.h"', True),
    ("platform/Window.cpp", "#include <engine/core/Core.h>", True),
    ("engine/scene/Scene.cpp", '#include "engine/sprite/Node.h"', False),
    ("engine/scene/Scene.cpp", "#include <engine/sprite/Node.h>", False),
    ("engine/scene/Scene.cpp", '#include "../sprite/Node.h"', False),
    ("engine/scene/Scene.cpp", '#include "Scene.h"', False),
    ("engine/sprite/Node.cpp", "#include <vector>", False),
    ("engine/sprite/Node.cpp", '#include "../../../outside.h"', False),
]

TREE = ["engine/core/Core.h", "engine/sprite/Node.h", "engine/sprite/Node.cpp",
        "engine/scene/Scene.h", "engine/scene/Scene.cpp", "platform/Window.cpp"]


def run_case(check, owner, line):
    with tempfile.TemporaryDirectory() as root:
        for path in TREE:
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w") as out:
                out.write(line + "\n" if path == owner else "// empty\n")
        result = subprocess.run([check, "--root", root], capture_output=True, text=True)
        return result.returncode


def main():
    check = sys.argv[1]
    failures = 0
    for owner, line, upward in CASES:
        code = run_case(check, owner, line)
        expected = 1 if upward else 0
        if code != expected:
            failures += 1
            print(f"FAIL: {owner}: {line!r} gave exit {code}, expected {expected}")
    print(f"check-layers: {len(CASES) - failures} of {len(CASES)} cases hold")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
