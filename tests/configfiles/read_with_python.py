#!/usr/bin/env python3
"""Reads a configuration file written by Quillon with nothing but Python's zlib and
xml.dom.minidom, and checks it holds the values the writer's editor held.

    read_with_python.py WRITER WORKDIR
"""
import json
import os
import subprocess
import sys
import tempfile
import zlib
from xml.dom import minidom


def main():
    writer = sys.argv[1]
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "sample.zxml")
        expected_path = os.path.join(tmp, "expected.json")
        subprocess.run([writer, path, expected_path], check=True)
        data = open(path, "rb").read()
        expected = json.load(open(expected_path, encoding="utf-8"))

    assert data[:2] == b"\x78\xda", "first bytes %r" % data[:2]
    text = zlib.decompress(data)
    assert text.endswith(b"\r\n"), "last line without CR LF"
    lines = text.split(b"\r\n")[:-1]
    assert all(b"\n" not in line and b"\r" not in line for line in lines), "bare line breaks"
    assert lines[0] == b'<?xml version="1.0" encoding="UTF-8" ?>', lines[0]

    root = minidom.parseString(text).documentElement
    assert root.tagName == "Quillon", root.tagName
    found = []
    for command in root.getElementsByTagName("command"):
        for index in command.getElementsByTagName("index"):
            for parameter in index.getElementsByTagName("parameter"):
                enabled = parameter.getAttribute("enabled") if parameter.hasAttribute("enabled") else None
                value = "".join(node.data for node in parameter.childNodes)
                found.append([command.getAttribute("name"), int(index.getAttribute("index")),
                              int(parameter.getAttribute("index")),
                              None if enabled is None else int(enabled), value])

    if found != expected:
        for want, got in zip(expected, found):
            if want != got:
                print("expected %r, found %r" % (want, got))
        print("expected %d values, found %d" % (len(expected), len(found)))
        return 1
    print("read %d values from %d bytes, first bytes 78 DA" % (len(found), len(data)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
