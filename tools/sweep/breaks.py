#!/usr/bin/env python3
"""Reads breaks.txt and applies one break to a tree.

  breaks.py list BREAKS                 -> id<TAB>file<TAB>fault, one a line
  breaks.py apply BREAKS ID TREE        -> applies the break in place
      exit 0 applied, 3 old text absent, 4 old text occurs more than once
"""
import ast
import sys


def read_breaks(path):
    breaks, record = [], {}
    with open(path, encoding="utf-8") as f:
        for raw in f.read().split("\n") + [""]:
            line = raw.rstrip("\r")
            if line.startswith("#"):
                continue
            if not line.strip():
                if record:
                    breaks.append(record)
                    record = {}
                continue
            key, _, value = line.partition(": ")
            record[key.strip()] = value
    for b in breaks:
        missing = {"id", "file", "fault", "sees", "old", "new"} - b.keys()
        if missing:
            sys.exit(f"break {b.get('id', '?')}: missing {', '.join(sorted(missing))}")
        b["old"] = ast.literal_eval(b["old"])
        b["new"] = ast.literal_eval(b["new"])
    ids = [b["id"] for b in breaks]
    if len(ids) != len(set(ids)):
        sys.exit("duplicate break ids")
    return breaks


def main():
    command, path = sys.argv[1], sys.argv[2]
    breaks = read_breaks(path)
    if command == "list":
        for b in breaks:
            print(f"{b['id']}\t{b['file']}\t{b['fault']}")
        return 0
    if command == "apply":
        wanted, tree = sys.argv[3], sys.argv[4]
        b = next(b for b in breaks if b["id"] == wanted)
        target = f"{tree}/{b['file']}"
        try:
            with open(target, encoding="utf-8", newline="") as f:
                text = f.read()
        except FileNotFoundError:
            return 3
        count = text.count(b["old"])
        if count == 0:
            return 3
        if count > 1:
            return 4
        with open(target, "w", encoding="utf-8", newline="") as f:
            f.write(text.replace(b["old"], b["new"]))
        return 0
    sys.exit(f"unknown command {command}")


if __name__ == "__main__":
    sys.exit(main())
