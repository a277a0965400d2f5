#!/usr/bin/env python3
"""Prints 'passed failed' for the GoogleTest XML reports given; a missing or
broken report (the test program crashed) counts as one failure."""
import sys
import xml.etree.ElementTree as ET

passed = failed = 0
for path in sys.argv[1:]:
    try:
        root = ET.parse(path).getroot()
    except (OSError, ET.ParseError):
        failed += 1
        continue
    for case in root.iter("testcase"):
        if case.find("failure") is not None:
            failed += 1
        elif case.get("result") == "skipped" or case.get("status") == "notrun":
            continue
        else:
            passed += 1
print(passed, failed)
