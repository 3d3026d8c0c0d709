#!/usr/bin/env python3
"""Fails when a source folder includes a header of a folder it may not use.

The allowed uses are the links of the folder libraries in CMakeLists.txt:
the includes must not reach further than what each library links.
usage: check_layers.py SOURCE_ROOT
"""
import pathlib
import re
import sys

# Folder -> the folders whose headers it may include (its own is implied).
# res/ holds resource ids only.
ALLOWED = {
    "win": set(),
    "hook": set(),
    "rules": {"win", "res"},
    "scale": {"win"},
    "pseudo": {"scale", "rules", "win", "res"},
    "ui": {"rules", "win", "res"},
    "app": {"pseudo", "ui", "rules", "win", "hook", "res"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]+"', re.MULTILINE)


def main() -> int:
    root = pathlib.Path(sys.argv[1])
    faults = []
    for folder, allowed in ALLOWED.items():
        for path in sorted((root / folder).glob("*.[ch]*")):
            for used in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
                if used != folder and used not in allowed:
                    faults.append(f"{path.relative_to(root)} includes {used}/")
    for fault in faults:
        print(fault)
    print(f"layers: {len(faults)} upward or sideways includes")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
