#!/usr/bin/env bash
# scripts/check-layers on a small tree of its own: a clean tree passes, and each kind of wrong
# include (up, sideways, into a Linux half, a platform header, an unplaced module, a missing file)
# fails naming its file and line, and nothing else. --graph finds a cycle.
set -euo pipefail
check=${1:?usage: check_layers_test.sh path/to/check-layers}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

tree=$work/clean
mkdir -p "$tree/docs" "$tree/src/Files/Low/Linux" "$tree/src/Files/Peer" "$tree/src/Files/High"
cat > "$tree/docs/layers.md" <<'MD'
# Layers of a small tree

## Layers

| Layer | Module | Why |
|---:|---|---|
| 1 | `Low` | at the bottom |
| 1 | `Peer` | beside Low |
| 2 | `High` | above both |
| 3 | `Brivane` | the program |

## Platform headers

| Header | Library |
|---|---|
| `SDL.h`, `SDL2/*` | SDL2 |
| `FT_*` | FreeType |

## Glue files

| File | Library |
|---|---|
| `src/Files/Low/Low_Glue.cpp` | SDL2 |
MD
echo '#pragma once' > "$tree/src/Files/Low/Low.h"
printf '#include "Low/Low.h"\n#include <cstdio>\n#include <zlib.h>\n' > "$tree/src/Files/Low/Low.cpp"
printf '#include <SDL.h>\n' > "$tree/src/Files/Low/Low_Glue.cpp"
printf '#pragma once\n#include <SDL2/SDL.h>\n' > "$tree/src/Files/Low/Linux/Low_SDL.h"
printf '#include "Low/Linux/Low_SDL.h"\n#include "Low_SDL.h"\n' > "$tree/src/Files/Low/Linux/Low_SDL.cpp"
echo '#pragma once' > "$tree/src/Files/Peer/Peer.h"
echo '#pragma once' > "$tree/src/Files/High/High.h"
printf '#include "High/High.h"\n#include "Low/Low.h"\n  #  include "Peer/Peer.h"\n' > "$tree/src/Files/High/High.cpp"
printf '#include "High/High.h"\n' > "$tree/src/Brivane.cpp"

expect_pass() {
    if ! out=$("$check" "$tree" 2>&1); then
        echo "FAIL: the clean tree was refused:"; echo "$out"; failures=$((failures + 1))
    fi
}

# A copy of the clean tree with one more file, which the check must refuse at that file and line.
expect_refused() {
    local what=$1 file=$2 line=$3 text=$4 case
    case=$work/case$RANDOM
    cp -r "$tree" "$case"
    mkdir -p "$(dirname "$case/$file")"
    printf '%b' "$text" > "$case/$file"
    local out status=0
    out=$("$check" "$case" 2>&1) || status=$?
    if [ "$status" -ne 1 ]; then
        echo "FAIL: $what: exit status $status, not 1:"; echo "$out"; failures=$((failures + 1))
    elif ! grep -q "^$file:$line: " <<<"$out"; then
        echo "FAIL: $what: $file:$line is not named:"; echo "$out"; failures=$((failures + 1))
    elif [ -n "$(grep '^src/' <<<"$out" | grep -v "^$file:" || true)" ]; then
        echo "FAIL: $what: other files are named too:"; echo "$out"; failures=$((failures + 1))
    fi
    rm -rf "$case"
}

expect_pass
expect_refused "an upward include" src/Files/Low/Low_Up.cpp 2 '#include "Low/Low.h"\n#include "High/High.h"\n'
expect_refused "an include within a layer" src/Files/Peer/Peer.cpp 1 '#include "Low/Low.h"\n'
expect_refused "a Linux half's header from outside" src/Files/High/High_Sdl.cpp 1 '#include "Low/Linux/Low_SDL.h"\n'
expect_refused "a platform header outside the Linux halves" src/Files/High/High_Window.cpp 3 '#include "High/High.h"\n\n#include <SDL2/SDL.h>\n'
expect_refused "a platform header named by a macro" src/Files/Peer/Peer_Font.cpp 1 '#include FT_FREETYPE_H\n'
expect_refused "a module without a layer" src/Files/Stray/Stray.cpp 1 '#include "Low/Low.h"\n'
expect_refused "an include of no file" src/Files/High/High_Missing.cpp 1 '#include "High/Gone.h"\n'

# The measurement: a mutual include is a cycle of two modules.
printf '#include "High/High.h"\n' > "$tree/src/Files/Low/Low_Up.cpp"
out=$("$check" --graph "$tree")
if ! grep -q '^Cycle of 2 modules: High Low$' <<<"$out"; then
    echo "FAIL: --graph does not report the cycle of High and Low"; failures=$((failures + 1))
fi
if "$check" --graph "$work/none" >/dev/null 2>&1; then
    echo "FAIL: a tree without src/ was accepted"; failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] && echo "check-layers: every case behaves" || exit 1
