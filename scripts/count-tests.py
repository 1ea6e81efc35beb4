#!/usr/bin/env python3
"""Counts the test cases of every suite from GoogleTest's XML reports and prints the closing
line "N passed, N failed". A suite executable that CTest saw fail without a failing case in its
report (a crash, a sanitizer report at exit, a missing report) counts as one more failure.

Usage: count-tests.py FOLDER... [--reports-only FOLDER...]
Folders after --reports-only hold JUnit reports of runs that CTest does not drive (the fuzz
harnesses, one report each); such a folder without any report counts as one failure."""

import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path


def count_gtest_report(path):
    root = ElementTree.parse(path).getroot()
    passed = failed = 0
    for case in root.iter("testcase"):
        if case.get("result", "completed") == "skipped" or case.find("skipped") is not None:
            continue
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        else:
            passed += 1
    return passed, failed


def failed_suites(ctest_report):
    if not ctest_report.exists():
        return None
    root = ElementTree.parse(ctest_report).getroot()
    return [case.get("name") for case in root.iter("testcase")
            if case.get("status") == "fail" or case.find("failure") is not None]


def count_reports_only(folder):
    reports = sorted(folder.glob("*.xml"))
    if not reports:
        print(f"count-tests: no report in {folder}", file=sys.stderr)
        return 0, 1
    counts = [count_gtest_report(report) for report in reports]
    return sum(p for p, _ in counts), sum(f for _, f in counts)


def main(arguments):
    split = arguments.index("--reports-only") if "--reports-only" in arguments else len(arguments)
    folders, report_folders = arguments[:split], arguments[split + 1:]
    passed = failed = 0
    for folder in map(Path, report_folders):
        folder_passed, folder_failed = count_reports_only(folder)
        passed += folder_passed
        failed += folder_failed
    for folder in map(Path, folders):
        failed_in_suite = {}
        for report in sorted(folder.glob("*.xml")):
            if report.name == "ctest.xml":
                continue
            suite_passed, suite_failed = count_gtest_report(report)
            passed += suite_passed
            failed += suite_failed
            failed_in_suite[report.stem] = suite_failed
        suites = failed_suites(folder / "ctest.xml")
        if suites is None:
            print(f"count-tests: no CTest report in {folder}", file=sys.stderr)
            failed += 1
            continue
        for suite in suites:
            if failed_in_suite.get(suite, 0) == 0:
                print(f"count-tests: {suite} failed outside its test cases", file=sys.stderr)
                failed += 1
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
