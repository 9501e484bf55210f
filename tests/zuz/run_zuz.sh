#!/usr/bin/env bash
# Runs one conformance program (zuzrun, the program, then switches for zuzrun) and checks what it printed against the lines it holds:
#   // expect: TEXT         the next line on standard output is exactly TEXT
#   // expect-error: TEXT   a later line on standard error contains TEXT (in order)
#   // expect-exit: N       the exit status (default 0)
#   // script: NAME=FILE    defines a script from FILE (relative to the program's folder)
# Without expect-error lines, standard error must stay empty.
set -u
zuzrun=$1
program=$2
shift 2
switches=("$@")
dir=$(dirname "$program")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

args=()
while IFS= read -r spec; do
  args+=(-script "${spec%%=*}=$dir/${spec#*=}")
done < <(sed -n 's|^[[:space:]]*// script: ||p' "$program")
sed -n 's|^.*// expect:[ ]\{0,1\}||p' "$program" > "$work/expected"
sed -n 's|^[[:space:]]*// expect-error: ||p' "$program" > "$work/errors"
want_exit=$(sed -n 's|^[[:space:]]*// expect-exit: ||p' "$program" | tail -n 1)
want_exit=${want_exit:-0}

(cd "$dir" && timeout 60 "$zuzrun" "${switches[@]}" "${args[@]}" "$program") > "$work/out" 2> "$work/err"
status=$?
failed=0
if [ "$status" != "$want_exit" ]; then
  echo "exit status $status, expected $want_exit"
  failed=1
fi
if ! diff -u "$work/expected" "$work/out" > "$work/diff"; then
  echo "standard output differs (expected, actual):"
  cat "$work/diff"
  failed=1
fi
if [ -s "$work/errors" ]; then
  line=1
  while IFS= read -r want; do
    found=$(tail -n +"$line" "$work/err" | grep -n -F -m 1 -- "$want" | cut -d: -f1)
    if [ -z "$found" ]; then
      echo "standard error lacks (in order): $want"
      failed=1
      break
    fi
    line=$((line + found))
  done < "$work/errors"
elif [ -s "$work/err" ]; then
  echo "unexpected standard error output"
  failed=1
fi
if [ "$failed" != 0 ]; then
  echo "--- standard error ---"
  cat "$work/err"
  exit 1
fi
exit 0
