#!/usr/bin/env python3
"""pseudo-translation.py SOURCES.ts PSEUDO.ts

Writes a translation in which every text of SOURCES.ts (lupdate's output) is its English source
wrapped in the markers ⟦ and ⟧, line by line, with a menu entry's shortcut after a tab left
outside. A text the window shows without the markers did not go through a translation.
"""
import sys
import xml.etree.ElementTree as ET


def wrapped(text):
    lines = []
    for line in (text or "").split("\n"):
        shown, tab, shortcut = line.partition("\t")
        lines.append(("⟦" + shown + "⟧" if shown else "") + tab + shortcut)
    return "\n".join(lines)


def main(source, target):
    tree = ET.parse(source)
    root = tree.getroot()
    root.set("language", "xx")
    for message in root.iter("message"):
        text = wrapped(message.findtext("source"))
        translation = message.find("translation")
        translation.attrib.pop("type", None)
        if message.get("numerus") == "yes":
            for form in list(translation):
                translation.remove(form)
            for _ in range(2):
                ET.SubElement(translation, "numerusform").text = text
        else:
            translation.text = text
    tree.write(target, encoding="utf-8", xml_declaration=True)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
