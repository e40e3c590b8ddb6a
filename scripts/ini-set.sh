#!/usr/bin/env bash
# Sets KEY=VALUE in [SECTION] of an ini file (names compared ignoring case),
# keeping every other line; creates the file, section or key as needed.
# Usage: scripts/ini-set.sh FILE SECTION KEY VALUE
set -euo pipefail
file=$1 section=$2 key=$3 value=$4
[ -f "$file" ] || : > "$file"
tmp=$(mktemp "$file.XXXXXX")
awk -v section="$section" -v key="$key" -v value="$value" '
    function flush() { if (insec && !done) { print key "=" value "\r"; done = 1 } }
    {
        line = $0; sub(/\r$/, "", line)
        if (line ~ /^[ \t]*\[/) {
            flush()
            name = line; sub(/^[ \t]*\[/, "", name); sub(/\].*$/, "", name)
            insec = (tolower(name) == tolower(section))
            if (insec) seen = 1
        } else if (insec && !done) {
            k = line; sub(/=.*/, "", k); gsub(/^[ \t]+|[ \t]+$/, "", k)
            if (index(line, "=") && tolower(k) == tolower(key)) {
                print k "=" value "\r"; done = 1; next
            }
        }
        print line "\r"
    }
    END {
        flush()
        if (!seen) { print "[" section "]\r"; print key "=" value "\r" }
    }' "$file" > "$tmp"
mv "$tmp" "$file"
