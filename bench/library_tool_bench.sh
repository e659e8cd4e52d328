#!/usr/bin/env bash
# Times brevicor-library on 10,000 generated phrases: an import into an empty library, then
# an export of it. For reading, not for passing or failing. Run after scripts/build.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$ROOT/dist/odbc/brevicor-newlib" "$work/bench.mdb" "$ROOT/engine/phrase_table.sql" >/dev/null
python3 - "$work/bench.csv" <<'PY'
import sys
with open(sys.argv[1], "w", newline="") as f:
    f.write("category,code,content\r\n")
    for i in range(10000):
        f.write(f'Category {i % 100},shortcut {i},"Phrase {i}: it\'s a text, with a comma,\r\n'
                f'a line break and é € accents."\r\n')
PY
tool="$ROOT/dist/bin/brevicor-library"
start=$(date +%s.%N); "$tool" --library "$work/bench.mdb" import "$work/bench.csv" >/dev/null
mid=$(date +%s.%N); "$tool" --library "$work/bench.mdb" export -o "$work/out.csv" 2>/dev/null
end=$(date +%s.%N)
printf 'import of 10,000 phrases: %.3f s\nexport of 10,000 phrases: %.3f s\n' \
    "$(echo "$mid - $start" | bc)" "$(echo "$end - $mid" | bc)"
