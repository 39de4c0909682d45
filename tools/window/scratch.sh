# Sourced by the scripts here: a scratch folder ($tmp) and the processes they start ($pids),
# all gone when the script ends; the processes in reverse order, so a program ends before its
# display server.
tmp=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; wait "${pids[i]}" 2>/dev/null || true; done
  rm -rf "$tmp"
}
trap cleanup EXIT
