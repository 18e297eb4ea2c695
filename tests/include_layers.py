#!/usr/bin/env python3
"""The game's folders and the order they stand in: each may include its own headers and those of
the folders below it, never one beside or above it. Also no unit (a header and its source) may
reach itself through its includes. The README's Layout names the folders in the same order, from
the top. Usage: include_layers.py SRC_FOLDER README"""
import collections
import os
import re
import sys

# Lowest first. Folders on one row stand side by side and include none of each other.
LAYERS = [
    ["base"],                         # plain files, digests, the program's messages and statuses
    ["assets"],                       # pictures, display lists, sizes on large screens
    ["effects"],                      # particle bursts, the game's random numbers
    ["vehicle"],                      # the car
    ["world", "dashboard", "sound"],  # the world's rules, the dashboard, the sounds
    ["session"],                      # the game's state, a frame's rules and its picture
    ["platform"],                     # the window, the frame's pace, the leak check, and what
                                      # the desktop and the browser each do their own way
    ["drives"],                       # recorded drives: their file, recording, showing, checking
    ["input"],                        # keys, mouse, pads, settings, actions, what the screen
                                      # says about the controls
    ["shell", "web"],                 # the command line, the start-up and the frame loop; what
                                      # the browser's page may ask the game
]
LEVEL = {folder: level for level, row in enumerate(LAYERS) for folder in row}


def layout_order(readme):
    """The src folders the README's Layout lists, in its order, each once."""
    with open(readme, encoding="utf-8") as text:
        layout = text.read().split("\n## Layout\n", 1)[1].split("\n## ", 1)[0]
    named = []
    for folder in re.findall(r"`src/(\w+)`", layout):
        if folder not in named:
            named.append(folder)
    return named


def main(src, readme):
    problems = []
    top_down = [folder for row in reversed(LAYERS) for folder in row]
    if layout_order(readme) != top_down:
        problems.append(f"{readme}: the Layout lists {layout_order(readme)}, the layers {top_down}")
    units = collections.defaultdict(set)
    for root, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.relpath(os.path.join(root, name), src)
            folder = path.split(os.sep)[0]
            if folder == path:
                continue  # the programs' mains (main.cpp, check_main.cpp), above everything
            if folder not in LEVEL:
                problems.append(f"{path}: the folder {folder} has no place in the layers")
                continue
            unit = os.path.splitext(path)[0]
            with open(os.path.join(src, path), encoding="utf-8") as text:
                for number, line in enumerate(text, 1):
                    match = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
                    if not match or not os.path.exists(os.path.join(src, match.group(1))):
                        continue
                    included = match.group(1)
                    other = included.split("/")[0]
                    if other != folder and (other not in LEVEL or LEVEL[other] >= LEVEL[folder]):
                        problems.append(f"{path}:{number}: {folder} may not include {included}")
                    target = os.path.splitext(included)[0]
                    if target != unit:
                        units[unit].add(target)
    # A circle among the units, found by a walk from each.
    state = {}

    def walk(unit, path):
        state[unit] = "open"
        path.append(unit)
        for other in sorted(units.get(unit, ())):
            if state.get(other) == "open":
                circle = path[path.index(other):] + [other]
                problems.append("an include circle: " + " -> ".join(circle))
            elif other not in state:
                walk(other, path)
        path.pop()
        state[unit] = "done"

    for unit in sorted(units):
        if unit not in state:
            walk(unit, [])
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
