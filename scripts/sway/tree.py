"""Reads sway's tree of outputs and windows (`swaymsg -t get_tree` saved to a file).

    tree.py where TREE PREFIX
        prints "OUTPUT FULLSCREEN FOCUSED VISIBLE PID" of the first window whose title starts
        with PREFIX (FULLSCREEN, FOCUSED and VISIBLE are 1 or 0); exits 1 when there is none
    tree.py titles TREE
        prints "OUTPUT TITLE" of every window, one a line, for messages
    tree.py alone TREE PREFIX
        exits 0 when every window's title starts with PREFIX (and there is one), else 1
"""

import json
import sys


def windows(node, output=None):
    if node.get("type") == "output":
        output = node.get("name")
    if node.get("type") in ("con", "floating_con") and node.get("pid"):
        yield output, node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from windows(child, output)


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[1]) as f:
        tree = json.load(f)
    if argv[0] == "where" and len(argv) == 3:
        for output, w in windows(tree):
            if (w.get("name") or "").startswith(argv[2]):
                print(output, int(w.get("fullscreen_mode", 0) != 0), int(bool(w.get("focused"))),
                      int(bool(w.get("visible"))), w.get("pid"))
                return 0
        return 1
    if argv[0] == "titles" and len(argv) == 2:
        for output, w in windows(tree):
            print(output, w.get("name"))
        return 0
    if argv[0] == "alone" and len(argv) == 3:
        titles = [w.get("name") or "" for _, w in windows(tree)]
        return 0 if titles and all(t.startswith(argv[2]) for t in titles) else 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except (OSError, ValueError) as e:  # a tree cut short while sway was going away
        print(f"tree.py: {e}", file=sys.stderr)
        sys.exit(1)
