#!/usr/bin/env bash
# Builds the library and omltool and runs them on the bundled examples: checks an OML graph file
# against its grammar, shows the messages of a broken one, converts the graph to binary and back,
# prints its canonical text; then runs the demo of the library's other parts.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DKTBASE_WERROR="$werror" >/dev/null
cmake --build "$root/build" --target omltool ktbase_demo -j "$jobs"
omltool="$root/build/tools/omltool/omltool"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root"/examples/data/graph.grammar "$root"/examples/data/*.oml "$work"
cd "$work"

echo "== omltool check graph.grammar city.oml"
"$omltool" check graph.grammar city.oml && echo "city.oml: no errors"
echo
echo "== omltool check graph.grammar broken.oml (a file with errors: exit status 1)"
if "$omltool" check graph.grammar broken.oml; then echo "unexpectedly clean" >&2; exit 1; fi
echo
echo "== omltool convert --to binary, then back to text"
"$omltool" convert --to binary graph.grammar city.oml city.omlb
"$omltool" convert --to text graph.grammar city.omlb back.oml
echo "city.oml: $(wc -c <city.oml) bytes; city.omlb: $(wc -c <city.omlb) bytes"
"$omltool" format graph.grammar city.oml >formatted.oml
cmp -s back.oml formatted.oml && echo "text -> binary -> text gives the canonical text"
echo
echo "== omltool format graph.grammar city.oml"
cat formatted.oml
echo
echo "== the demo of the other parts"
"$root/build/examples/ktbase_demo"
