"""Reads the CSV reports written by tst_historyreports as a spreadsheet would,
with Python's csv module: 37 named columns, 37 fields in every record row of
history mode 2, 24 fields and the closing separator in history mode 3."""

import csv
import pathlib
import sys


def rows(path):
    with open(path, newline="", encoding="utf-8") as file:
        return list(csv.reader(file, delimiter=";"))


def check(path, record_rows, fields_per_row, closing_separator):
    table = rows(path)
    header, records = table[0], table[1:]
    # Every name is followed by the separator, so the header ends in one empty field.
    assert len(header) == 38 and header[-1] == "", f"{path}: header {header}"
    assert all(header[:37]), f"{path}: unnamed column in {header}"
    assert len(records) == record_rows, f"{path}: {len(records)} record rows"
    for row in records:
        if closing_separator:
            assert row[-1] == "", f"{path}: row does not close with the separator: {row}"
            row = row[:-1]
        assert len(row) == fields_per_row, f"{path}: {len(row)} fields in {row}"
        assert row[0].isdigit() and row[23] == "mm", f"{path}: misplaced fields in {row}"


def main():
    folder = pathlib.Path(sys.argv[1])
    record_rows = int(sys.argv[2])
    check(folder / "mode2.csv", record_rows, 37, False)
    check(folder / "mode3.csv", record_rows, 24, True)
    check(folder / "quoted.csv", record_rows, 37, False)
    assert rows(folder / "quoted.csv")[1][3] == '47;11 "B"'
    print("CSV reports read as 37 columns")


if __name__ == "__main__":
    main()
