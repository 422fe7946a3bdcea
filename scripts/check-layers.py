#!/usr/bin/env python3
"""Fails when a source file includes a header of a layer above its own.

Every file belongs to a layer by its folder (the top-level platform API headers by the
layer whose functions they declare). A layer may include itself and the layers listed
for it below, and through them whatever those may include. Includes are read from the
text, so the check needs no build. Run from anywhere; the tree is found from this file.

  scripts/check-layers.py            check the whole tree
  scripts/check-layers.py FILE...    check only these files (paths from the tree's root)
"""

import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Layer -> the layers it may include directly. Inclusion is transitive: a layer may also
# include whatever the layers it lists may include.
ALLOWED = {
    "kernel": [],
    "gdi": ["kernel"],
    "user": ["gdi"],  # windows, messages, painting, and the controls, menus and dialogs
    "presenters": ["user"],
    "audio": ["kernel"],
    "ole": ["kernel"],  # our own COM; it draws nothing
    "platform-testing": ["presenters", "audio"],
    "runtime": ["presenters", "audio", "ole"],
    "commands": ["runtime"],
    "pictures": ["runtime"],
    "sound": ["runtime"],
    "forms": ["commands", "pictures", "sound"],
    "libraries": ["forms"],
    "app": ["libraries"],
    "skin": ["presenters"],
    "tests": ["*"],
    "tools": ["*"],
    "bench": ["*"],
    "fuzz": ["*"],
}

# Path prefixes (from the tree's root) and the layer they belong to; the longest match wins.
LAYER_OF_PATH = [
    ("platform/kernel/", "kernel"),
    ("platform/kernel32.h", "kernel"),
    ("platform/win32_types.h", "kernel"),
    ("platform/ModuleExports.h", "kernel"),
    ("platform/gdi/", "gdi"),
    ("platform/wingdi.h", "gdi"),
    ("platform/user/", "user"),
    ("platform/controls/", "user"),
    ("platform/user32.h", "user"),
    ("platform/winuser_", "user"),
    ("platform/commctrl.h", "user"),
    ("platform/commdlg.h", "user"),
    ("platform/ThemeApi.h", "user"),
    ("platform/presenters/", "presenters"),
    ("platform/audio/", "audio"),
    ("platform/mmsystem.h", "audio"),
    ("platform/ole/", "ole"),
    ("platform/testing/", "platform-testing"),
    ("runtime/", "runtime"),
    ("commands/", "commands"),
    ("pictures/", "pictures"),
    ("sound/", "sound"),
    ("forms/", "forms"),
    ("libraries/", "libraries"),
    ("app/", "app"),
    ("skin/", "skin"),
    ("tests/", "tests"),
    ("tools/", "tools"),
    ("bench/", "bench"),
    ("fuzz/", "fuzz"),
]

SOURCE_EXTENSIONS = (".h", ".hpp", ".hh", ".inc", ".c", ".cc", ".cpp", ".cxx")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def reachable(layer):
    """Every layer that `layer` may include, itself among them."""
    seen = {layer}
    pending = [layer]
    while pending:
        for below in ALLOWED[pending.pop()]:
            if below == "*":
                return None  # anything
            if below not in seen:
                seen.add(below)
                pending.append(below)
    return seen


def layer_of(path):
    best = None
    for prefix, layer in LAYER_OF_PATH:
        if path.startswith(prefix) and (best is None or len(prefix) > len(best[0])):
            best = (prefix, layer)
    return best[1] if best else None


def source_files():
    try:
        listed = subprocess.run(
            ["git", "-C", ROOT, "ls-files", "--cached", "--others", "--exclude-standard"],
            check=True, capture_output=True, text=True).stdout.splitlines()
        files = [f for f in listed if os.path.isfile(os.path.join(ROOT, f))]
    except (OSError, subprocess.CalledProcessError):
        files = []
        for folder, dirs, names in os.walk(ROOT):
            dirs[:] = [d for d in dirs if not d.startswith((".", "build"))]
            for name in names:
                files.append(os.path.relpath(os.path.join(folder, name), ROOT))
    return sorted(f for f in files if f.endswith(SOURCE_EXTENSIONS))


def resolve(including, target):
    """The included file as a path from the root: beside the including file when it is
    there, else from the root (the include folder every target uses)."""
    beside = os.path.normpath(os.path.join(os.path.dirname(including), target))
    if os.path.isfile(os.path.join(ROOT, beside)):
        return beside
    return os.path.normpath(target)


def check(files):
    faults = []
    for path in files:
        layer = layer_of(path)
        if layer is None:
            if "/" in path:  # files at the root (none today) belong to no layer
                faults.append(f"{path}: its folder belongs to no layer; add it to "
                              "scripts/check-layers.py")
            continue
        allowed = reachable(layer)
        if allowed is None:
            continue
        with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as source:
            text = source.read()
        for match in INCLUDE.finditer(text):
            included = resolve(path, match.group(1))
            target = layer_of(included)
            if target is None or target in allowed:
                continue
            line = text.count("\n", 0, match.start()) + 1
            faults.append(f"{path}:{line}: the {layer} layer includes \"{match.group(1)}\" "
                          f"of the {target} layer above it")
    return faults


def main(arguments):
    files = [os.path.normpath(a) for a in arguments] if arguments else source_files()
    faults = check(files)
    for fault in faults:
        print(fault)
    if faults:
        print(f"layer check: {len(faults)} include(s) point upward", file=sys.stderr)
        return 1
    print(f"layer check: {len(files)} files, every include points downward")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
