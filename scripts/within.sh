# Sourced by the scripts that wait for a program, a window or a file.
# within SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds, for at most SECONDS.
within() {
  local tries=$(($1 * 10)) _
  shift
  for _ in $(seq "$tries"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
