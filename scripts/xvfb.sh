# Sourced by scripts/test and the drawing benchmarks. Xvfb_Start: when no display is given, starts a
# private Xvfb on a display number Xvfb picks itself (so runs side by side never share a server),
# exports DISPLAY and leaves its process id in xvfb_pid for the caller's exit trap.
Xvfb_Start() {
  [ -z "${DISPLAY:-}" ] || return 0
  local numfile n
  numfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$numfile" ] && break; sleep 0.1; done
  n=$(head -n1 "$numfile")
  rm -f "$numfile"
  [ -n "$n" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$n"
}
