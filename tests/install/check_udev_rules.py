#!/usr/bin/env python3
"""Checks the syntax of a udev rules file without udevadm, and what the
wrench's rule must do: a stable link, group access and the seat user's access.

Usage: check_udev_rules.py RULES_FILE   (exit 0 when it passes)
       check_udev_rules.py --self-test  (the checker refuses broken rules)
"""
import re
import sys

MATCH_ONLY = {"ACTION", "DEVPATH", "KERNEL", "KERNELS", "SUBSYSTEM", "SUBSYSTEMS", "DRIVER",
              "DRIVERS", "ATTRS", "TAGS", "TEST", "PROGRAM", "RESULT", "CONST"}
ASSIGN_ONLY = {"OWNER", "GROUP", "MODE", "RUN", "LABEL", "GOTO", "IMPORT", "OPTIONS", "SECLABEL"}
BOTH = {"NAME", "SYMLINK", "ATTR", "SYSCTL", "ENV", "TAG"}
WITH_ATTRIBUTE = {"ATTR", "ATTRS", "SYSCTL", "ENV", "TEST", "IMPORT", "RUN", "CONST", "SECLABEL"}
PAIR = re.compile(r'\s*([A-Z]+)(\{[^{}"]+\})?\s*(==|!=|\+=|-=|:=|=)\s*"((?:[^"\\]|\\.)*)"\s*(,|$)')
SUBSTITUTION = re.compile(r'\$(env\{[A-Za-z0-9_]+\}|attr\{[^}]+\}|kernel|number|devpath|id|driver|'
                          r'devnode|name|links|root|sys|major|minor|result|\$)|%[knpbMmcPNDrS%]')


def parse_rule(line):
    """The (key, attribute, operator, value) pairs of one rule; ValueError when malformed."""
    pairs, pos = [], 0
    while pos < len(line):
        found = PAIR.match(line, pos)
        if not found:
            raise ValueError(f"cannot read from column {pos + 1}: {line[pos:pos + 30]!r}")
        key, attribute, operator, value, comma = found.groups()
        pos = found.end()
        if comma == "," and pos >= len(line.rstrip()):
            raise ValueError("trailing comma")
        if key not in MATCH_ONLY | ASSIGN_ONLY | BOTH:
            raise ValueError(f"unknown key {key}")
        if (key in WITH_ATTRIBUTE) != bool(attribute) and key not in {"IMPORT", "RUN"}:
            raise ValueError(f"{key} {'needs' if key in WITH_ATTRIBUTE else 'takes no'} {{attribute}}")
        if key in MATCH_ONLY and operator not in ("==", "!="):
            raise ValueError(f"{key} only matches (== or !=), not {operator}")
        if key in ASSIGN_ONLY and operator in ("==", "!="):
            raise ValueError(f"{key} only assigns, not {operator}")
        leftover = SUBSTITUTION.sub("", value)
        if "$" in leftover:
            raise ValueError(f"unknown substitution in {value!r}")
        pairs.append((key, attribute or "", operator, value))
    return pairs


def logical_lines(text):
    """Rules with continued lines joined, without comments and blank lines."""
    joined = re.sub(r"\\\n", "", text)
    for number, line in enumerate(joined.splitlines(), 1):
        if line.strip() and not line.lstrip().startswith("#"):
            yield number, line.strip()


def check(text):
    """The faults found, one text each; an empty list when the file passes."""
    faults = []
    rules = 0
    for number, line in logical_lines(text):
        try:
            pairs = parse_rule(line)
        except ValueError as error:
            faults.append(f"line {number}: {error}")
            continue
        rules += 1
        matches = {(k, a): v for k, a, op, v in pairs if op in ("==", "!=")}
        assigned = [(k, op, v) for k, a, op, v in pairs if op not in ("==", "!=")]
        wanted = [
            (matches.get(("SUBSYSTEM", "")) == "tty", "matches SUBSYSTEM==\"tty\""),
            (any(k == "SYMLINK" and op == "+=" and v.startswith("tolvo-wrench-") for k, op, v in assigned),
             "adds a SYMLINK tolvo-wrench-..."),
            (any(k == "GROUP" and v in ("dialout", "plugdev") for k, op, v in assigned), "sets GROUP"),
            (any(k == "MODE" and re.fullmatch(r"0[0-7]{3}", v) and v[2] in "67" for k, op, v in assigned),
             "gives the group read and write access (MODE)"),
            (any(k == "TAG" and op == "+=" and v == "uaccess" for k, op, v in assigned), "tags uaccess"),
        ]
        faults += [f"line {number}: never {what}" for good, what in wanted if not good]
    if rules == 0:
        faults.append("no rule")
    return faults


GOOD = ('SUBSYSTEM=="tty", ATTRS{idVendor}=="0000", GROUP="dialout", MODE="0660", TAG+="uaccess", '
        'SYMLINK+="tolvo-wrench-$env{ID_SERIAL_SHORT}"')
BROKEN = {
    "missing quote": GOOD.replace('"dialout"', 'dialout'),
    "match key assigned": GOOD.replace('SUBSYSTEM=="tty"', 'SUBSYSTEM="tty"'),
    "assign key compared": GOOD.replace('GROUP="dialout"', 'GROUP=="dialout"'),
    "unknown key": GOOD.replace("ATTRS{idVendor}", "ATTRIBS{idVendor}"),
    "attribute missing": GOOD.replace("ATTRS{idVendor}", "ATTRS"),
    "trailing comma": GOOD + ",",
    "unknown substitution": GOOD.replace("$env{ID_SERIAL_SHORT}", "$serial"),
    "no link": GOOD.replace('SYMLINK+="tolvo-wrench-', 'SYMLINK+="ttyWrench-'),
    "no group write": GOOD.replace('"0660"', '"0640"'),
    "no seat access": GOOD.replace('TAG+="uaccess"', 'TAG+="systemd"'),
    "only comments": "# " + GOOD,
}


def self_test():
    failures = [] if not check(GOOD + "\n") else [f"good rule refused: {check(GOOD)}"]
    failures += [f"{name}: passed" for name, text in BROKEN.items() if not check(text + "\n")]
    failures += [] if not check(GOOD.replace(", ", ", \\\n    ") + "\n") else ["continued line refused"]
    return failures


def main(argv):
    if argv[1:] == ["--self-test"]:
        faults = self_test()
    elif len(argv) == 2:
        with open(argv[1], encoding="utf-8") as rules:
            faults = check(rules.read())
    else:
        print(__doc__, file=sys.stderr)
        return 2
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
