"""Reads the quality-data files written by tst_aqdefexport as a statistics
program would: "Kxxxx/i value" lines ending in CR LF, Latin-1; a value opens
with K0001/i and the K000x/i keys after it belong to it.

usage: read_dfq.py FOLDER SERIES_COUNT SERIAL"""

import datetime
import pathlib
import re
import sys

KEY = re.compile(r"^K(\d{4})(?:/(\d+))? (.*)$")
DATE_FORMAT = "%d.%m.%Y/%H:%M:%S"


def read(path):
    raw = path.read_bytes()
    assert raw.endswith(b"\r\n"), f"{path}: last line not closed"
    lines = raw[:-2].split(b"\r\n")
    assert not any(b"\r" in line or b"\n" in line for line in lines), f"{path}: bare line break"
    characteristics = {}
    values = []
    count = None
    for line in lines:
        match = KEY.match(line.decode("latin-1"))
        assert match, f"{path}: not a key line: {line!r}"
        key, index, text = match.group(1), match.group(2), match.group(3)
        if key == "0100":
            count = int(text)
        elif key.startswith("2"):
            characteristics.setdefault(int(index), {})[key] = text
        elif key == "0001":
            values.append({"characteristic": int(index), "0001": text})
        else:
            assert values and values[-1]["characteristic"] == int(index), f"{path}: K{key} without its value"
            values[-1][key] = text
    assert count == len(characteristics), f"{path}: K0100 {count}, {len(characteristics)} characteristics"
    for value in values:
        assert value["characteristic"] in characteristics, f"{path}: value of an undefined characteristic"
    return characteristics, values


def limits(characteristic):
    return tuple(float(characteristic[key]) for key in ("2110", "2101", "2111"))


def check_series(path, count, serial):
    characteristics, values = read(path)
    assert len(characteristics) == 1, f"{path}: {len(characteristics)} characteristics"
    torque = characteristics[1]
    assert torque["2142"] == "Nm" and limits(torque) == (115.2, 120.0, 124.8), f"{path}: {torque}"
    assert len(values) == count, f"{path}: {len(values)} values"
    numbers = [float(v["0001"]) for v in values]
    assert all(re.fullmatch(r"\d+\.\d\d", v["0001"]) for v in values), f"{path}: not two decimals"
    assert 119.0 < sum(numbers) / count < 121.0, f"{path}: mean {sum(numbers) / count}"
    assert all(v["0002"] == "0" for v in values), f"{path}: a value not in the sample"
    dates = [datetime.datetime.strptime(v["0004"], DATE_FORMAT) for v in values]
    assert dates[0] == datetime.datetime(2024, 1, 1, 6, 0, 0), f"{path}: first date {dates[0]}"
    assert all(v["0012"] == serial for v in values), f"{path}: serial number"


def check_mixed(path):
    characteristics, values = read(path)
    assert len(characteristics) == 5 and len(values) == 6, f"{path}: {len(characteristics)}, {len(values)} values"
    assert limits(characteristics[1]) == (115.2, 120.0, 124.8)
    assert limits(characteristics[3]) == (48.75, 50.0, 51.25)
    assert limits(characteristics[5]) == (119.925, 123.0, 126.075)
    assert "2110" not in characteristics[4] and "2111" not in characteristics[4]
    assert characteristics[2]["2142"] == "deg"
    assert [v["0002"] for v in values] == ["0", "129", "0", "129", "129", "129"], f"{path}: attributes"
    serials = {v["0012"] for v in values}
    assert len(serials) == 1 and serials.pop().startswith("TW-0042"), f"{path}: serial {serials}"
    for value in values:
        datetime.datetime.strptime(value["0004"], DATE_FORMAT)


def main():
    folder = pathlib.Path(sys.argv[1])
    check_series(folder / "series.dfq", int(sys.argv[2]), sys.argv[3])
    check_mixed(folder / "mixed.dfq")
    print("quality-data files read back")


if __name__ == "__main__":
    main()
