"""Reads the spreadsheet exports back with xlrd, a reader independent of ours.

Usage: check_with_xlrd.py <folder>, where tst_export left the exports and
expected.json, what each must hold.
"""
import json
import sys

import xlrd


def text(value):
    if isinstance(value, float) and value.is_integer():
        return str(int(value))
    return str(value)


def check_sheet(book, name, expected, failures, label):
    try:
        sheet = book.sheet_by_name(name)
    except xlrd.XLRDError:
        failures.append(f"{label}: no sheet {name}")
        return
    rows = max(sheet.nrows, len(expected))
    if sheet.nrows != len(expected):
        failures.append(f"{label}/{name}: {sheet.nrows} rows, expected {len(expected)}")
    for r in range(rows):
        want_row = expected[r] if r < len(expected) else []
        for c in range(max(sheet.ncols, len(want_row))):
            got = text(sheet.cell_value(r, c)) if r < sheet.nrows and c < sheet.ncols else ""
            want = want_row[c] if c < len(want_row) else ""
            if got != want:
                failures.append(f"{label}/{name} row {r} col {c}: {got[:40]!r} != {want[:40]!r}")
                return


def main():
    failures = []
    cases = 0
    with open(f"{sys.argv[1]}/expected.json", encoding="utf-8") as f:
        expected = json.load(f)
    for case in expected:
        cases += 1
        label = case["file"].rsplit("/", 1)[-1]
        book = xlrd.open_workbook(case["file"])
        for name, rows in case["sheets"].items():
            check_sheet(book, name, rows, failures, label)
        if case["formats"]:
            styled = xlrd.open_workbook(case["file"], formatting_info=True)
            sheet = styled.sheet_by_name("Sheet1")
            for r, c, xf in case["formats"]:
                got = sheet.cell_xf_index(r, c)
                if got != xf:
                    failures.append(f"{label}: format of row {r} col {c} is {got}, expected {xf}")
    for failure in failures[:50]:
        print("FAIL:", failure)
    print(f"{cases - len({f.split(':')[0].split('/')[0] for f in failures})} passed, "
          f"{len({f.split(':')[0].split('/')[0] for f in failures})} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
