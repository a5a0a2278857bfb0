#!/usr/bin/env python3
"""Fails when a source file includes a layer above its own, or Qt where Qt has no place."""
import pathlib
import re
import sys

# Which project folders each folder may include from (besides itself).
ALLOWED = {
    "platform": set(),
    "app": {"platform"},
    "richtext": {"platform"},
    "store": {"platform", "app", "richtext"},
    "ops": {"platform", "app", "richtext", "store"},
    "service": {"platform", "app", "richtext", "store"},
    "update": {"platform", "app"},
    "cli": {"platform", "app", "richtext", "store", "ops", "service", "update"},
    "lustra": set(),
    "ui": {"platform", "app", "richtext", "store", "ops", "service", "update", "lustra"},
    "updater": {"platform", "app", "richtext", "update", "lustra"},
}
# Single headers of a folder that a folder otherwise kept apart from it may include.
ALLOWED_HEADERS = {
    "updater": {"ui/instance_client.h", "ui/message_box_prompt.h", "ui/program_icon.h"},
}
WITHOUT_QT = {"platform", "app", "richtext", "store", "ops", "service", "update", "cli"}
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')


def main(root):
    root = pathlib.Path(root)
    faults = []
    for layer, allowed in ALLOWED.items():
        for source in sorted((root / layer).rglob("*")):
            if source.suffix not in {".h", ".cpp"}:
                continue
            for number, line in enumerate(source.read_text(errors="replace").splitlines(), 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = match.group(1)
                top = target.split("/", 1)[0]
                where = f"{source.relative_to(root)}:{number}: {target}"
                if layer in WITHOUT_QT and re.match(r"Q[A-Za-z]*(/|$)", target):
                    faults.append(f"{where} (Qt in a layer without Qt)")
                elif target in ALLOWED_HEADERS.get(layer, set()):
                    continue
                elif "/" in target and top in ALLOWED and top != layer and top not in allowed:
                    faults.append(f"{where} ({layer}/ may not include {top}/)")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
