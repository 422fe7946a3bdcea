#!/usr/bin/env python3
"""The caption library as the program reads it: GBK, one caption a line, lines ended by
CR LF (the library window splits its text at CR LF). The readable source is UTF-8.

  tools/asset_maker/make-captions.py captions.utf8.txt OUTPUT.txt
"""

import sys


def main():
    with open(sys.argv[1], encoding="utf-8") as source:
        lines = [line.strip() for line in source if line.strip()]
    if len(set(lines)) != len(lines):
        sys.exit("make-captions: a caption appears twice")
    with open(sys.argv[2], "wb") as out:
        out.write("".join(line + "\r\n" for line in lines).encode("gbk"))


if __name__ == "__main__":
    main()
