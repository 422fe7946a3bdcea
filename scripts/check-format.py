#!/usr/bin/env python3
"""Checks the C and C++ sources against the root .clang-format.

Files under the paths listed in scripts/format-enforced.txt fail the check when clang-format
would change them; every other file is only reported. A line "." in that list (or
VELMORA_FORMAT_ENFORCE=all in the environment) enforces the whole tree. Without clang-format
the check says so and exits with 77, which ctest counts as skipped.

  scripts/check-format.py          check the tree
  scripts/check-format.py --fix    reformat the enforced files in place
"""

import os
import re
import shutil
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ENFORCED_LIST = os.path.join(ROOT, "scripts", "format-enforced.txt")
EXTENSIONS = (".h", ".hpp", ".hh", ".inc", ".c", ".cc", ".cpp", ".cxx")
SKIPPED = 77
VIOLATION = re.compile(r"^(.+?):\d+:\d+: (?:error|warning): code should be clang-formatted")


def find_clang_format():
    named = os.environ.get("CLANG_FORMAT")
    if named:
        return shutil.which(named)
    # The tree is formatted with version 14; another version may place a few things
    # differently.
    return shutil.which("clang-format-14") or shutil.which("clang-format")


def source_files():
    listed = subprocess.run(
        ["git", "-C", ROOT, "ls-files", "--cached", "--others", "--exclude-standard"],
        check=True, capture_output=True, text=True).stdout.splitlines()
    return sorted(f for f in listed
                  if f.endswith(EXTENSIONS) and os.path.isfile(os.path.join(ROOT, f)))


def enforced_prefixes():
    if os.environ.get("VELMORA_FORMAT_ENFORCE") == "all":
        return ["."]
    prefixes = []
    with open(ENFORCED_LIST, encoding="utf-8") as listing:
        for line in listing:
            line = line.split("#", 1)[0].strip()
            if line:
                prefixes.append(line)
    return prefixes


def is_enforced(path, prefixes):
    return any(p == "." or path == p or path.startswith(p.rstrip("/") + "/") for p in prefixes)


def unformatted(clang_format, files):
    """The files among `files` that clang-format would change."""
    def check(batch):
        result = subprocess.run([clang_format, "--dry-run", "--ferror-limit=1"] + batch,
                                cwd=ROOT, capture_output=True, text=True)
        if result.returncode != 0:
            raise RuntimeError(f"clang-format failed: {result.stderr.strip()}")
        return {m.group(1) for m in map(VIOLATION.match, result.stderr.splitlines()) if m}

    batches = [files[i:i + 40] for i in range(0, len(files), 40)]
    found = set()
    with ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        for names in pool.map(check, batches):
            found |= {os.path.normpath(n) for n in names}
    return sorted(found)


def main(arguments):
    clang_format = find_clang_format()
    if clang_format is None:
        print("warning: clang-format not found; the format check is skipped "
              "(scripts/install-deps.sh installs it)")
        return SKIPPED
    files = source_files()
    prefixes = enforced_prefixes()
    enforced = [f for f in files if is_enforced(f, prefixes)]
    if "--fix" in arguments:
        subprocess.run([clang_format, "-i"] + enforced, cwd=ROOT, check=True)
        return 0

    dirty = unformatted(clang_format, files)
    failing = [f for f in dirty if is_enforced(f, prefixes)]
    reported = [f for f in dirty if not is_enforced(f, prefixes)]
    if reported:
        print(f"note: {len(reported)} of {len(files) - len(enforced)} files outside the enforced "
              "paths are not clang-format clean (reported, not failing):")
        for path in reported[:10]:
            print(f"  {path}")
        if len(reported) > 10:
            print(f"  ... and {len(reported) - 10} more")
    for path in failing:
        print(f"{path}: not clang-format clean (run: {os.path.basename(clang_format)} -i {path})")
    if failing:
        print(f"format check: {len(failing)} of {len(enforced)} enforced files need formatting",
              file=sys.stderr)
        return 1
    print(f"format check: {len(enforced)} enforced files are clean")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
