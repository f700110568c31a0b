#!/usr/bin/env bash
# Builds the library and omltool and runs them on the bundled examples: checks an OML graph file
# against its grammar, shows the messages of a broken one with a caret under each place, converts
# the graph to binary and back and to JSON and back (and asks jq, when it is there, for the
# labels of the nodes), prints its canonical text; then runs the demo of the library's other
# parts.
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
echo "== omltool check --caret graph.grammar broken.oml (a file with errors: exit status 1)"
if "$omltool" check --caret graph.grammar broken.oml 2>&1; then
  echo "unexpectedly clean" >&2
  exit 1
fi
echo
echo "== omltool convert --to binary, then back to text"
"$omltool" convert --to binary graph.grammar city.oml city.omlb
"$omltool" convert --to text graph.grammar city.omlb back.oml
echo "city.oml: $(wc -c <city.oml) bytes; city.omlb: $(wc -c <city.omlb) bytes"
"$omltool" format graph.grammar city.oml >formatted.oml
cmp -s back.oml formatted.oml && echo "text -> binary -> text gives the canonical text"
echo
echo "== omltool convert --to json, then back to text"
"$omltool" convert --to json graph.grammar city.oml city.json
"$omltool" convert --to text graph.grammar city.json back-from-json.oml
head -n 16 city.json
echo "  ..."
cmp -s back-from-json.oml formatted.oml && echo "text -> JSON -> text gives the canonical text"
if command -v jq >/dev/null 2>&1; then
  echo
  echo "== the labels of all nodes, with jq"
  echo "jq -r 'recurse(.objects[]?) | select(.type == \"Node\") | .fields[]?.label // empty' city.json"
  jq -r 'recurse(.objects[]?) | select(.type == "Node") | .fields[]?.label // empty' city.json
fi
echo
echo "== omltool format graph.grammar city.oml"
cat formatted.oml
echo
echo "== the demo of the other parts"
"$root/build/examples/ktbase_demo"
