# shellcheck shell=sh disable=SC2154
# The steps the benchmark scripts share; sourced by them after they set
# build, work and quick.

# timed PATTERN COMMAND...: runs the command in $work under /usr/bin/time -v,
# its output in $work/out.txt; prints the lines of the output that match
# PATTERN, then the time figures. A command that exits non-zero has its
# messages shown and ends the calling script with its status, so that a
# benchmark that stops fails the script.
timed() {
  pattern=$1
  shift
  status=0
  (cd "$work" && /usr/bin/time -v "$@" > out.txt 2> time.txt) || status=$?
  grep -aE "$pattern" "$work/out.txt" || true
  grep -E "User time|System time|Elapsed|Maximum resident" "$work/time.txt" || true
  if [ "$status" -ne 0 ]; then
    grep -v "^[[:space:]]" "$work/time.txt" >&2 || true
    echo "$*: exit status $status" >&2
    exit "$status"
  fi
}

# need_benchmarks NAME...: with --quick ($quick set), ends the script when
# one of the benchmark programs bench/porvane_NAME_benchmark is not built:
# the check is that every one of them runs.
need_benchmarks() {
  [ -n "$quick" ] || return 0
  for program in "$@"; do
    if [ ! -x "$build/bench/porvane_${program}_benchmark" ]; then
      echo "$build/bench/porvane_${program}_benchmark not built (configure with -DPORVANE_BENCHMARKS=ON)" >&2
      exit 2
    fi
  done
}
