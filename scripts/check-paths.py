#!/usr/bin/env python3
"""Fails when tests, benchmarks, build files or the README name a path of one machine.

Temporary files belong under $TMPDIR (tests/common/TempFolder.h finds it), conformance
files are found through VELMORA_TESTDATA_DIR or beside the checkout, and nothing names the
folder a checkout happens to sit in.
"""

import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# (what it is, the files it applies to, the pattern)
RULES = [
    ("a fixed temporary folder; use tests/common/TempFolder.h",
     re.compile(r"^(tests|bench)/.*\.(h|cc|cpp)$"), re.compile(r"\"/(var/)?tmp/")),
    ("a path of this machine",
     re.compile(r"^((tests|bench|fuzz|tools)/.*\.(h|cc|cpp|py)|README\.md|.*CMakeLists\.txt|.*\.cmake)$"),
     re.compile(r"(?<![}\w])/(work|home|root)/")),
]


def files():
    listed = subprocess.run(
        ["git", "-C", ROOT, "ls-files", "--cached", "--others", "--exclude-standard"],
        check=True, capture_output=True, text=True).stdout.splitlines()
    return sorted(f for f in listed if os.path.isfile(os.path.join(ROOT, f)))


def check(paths):
    faults = []
    for path in paths:
        rules = [(what, pattern) for what, applies, pattern in RULES if applies.match(path)]
        if not rules:
            continue
        with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as source:
            for number, line in enumerate(source, 1):
                for what, pattern in rules:
                    if pattern.search(line):
                        faults.append(f"{path}:{number}: {what}: {line.strip()}")
    return faults


def main(arguments):
    faults = check(arguments or files())
    for fault in faults:
        print(fault)
    if faults:
        print(f"path check: {len(faults)} machine path(s)", file=sys.stderr)
        return 1
    print("path check: no machine paths")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
