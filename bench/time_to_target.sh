#!/usr/bin/env bash
# Time to a complete covering with corvina-cli, end to end: for each design, five
# seeds with a time limit; prints successes, the median time of the successful
# runs (a failed run counts as the limit) and the candidate evaluations per second.
#
# usage: bench/time_to_target.sh [LIMIT_SECONDS] [SEEDS] [-- EXTRA corvina-cli FLAGS]
# The bias expansion of each run is chosen by the rule in bench/README.md.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli="$root/build/corvina-cli"
limit=${1:-60}
seeds=${2:-5}
shift $(( $# > 2 ? 2 : $# ))
[ "${1:-}" = "--" ] && shift
extra=("$@")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

designs=(
  "10 5 4 4 51"
  "11 5 4 4 66"
  "12 6 5 5 132"
  "13 6 4 4 67"
  "15 5 3 3 58"
  "16 6 4 4 179"
  "20 6 4 5 178"
)
# Bias expansion for a target scale S of the bias against one lost m-subset:
# step = (P/1000 + 1) / (v k b), absolute weight 0.5, decay 0.98 (tension 0):
# S = step / (0.5 * 0.02)  =>  P = 1000 * S * 0.01 * v * k * b - 1000.
scale=${BIAS_SCALE:-0.0005}

printf '%-14s %5s %10s %9s %12s\n' design blocks successes "median s" "evals/s"
for d in "${designs[@]}"; do
  read -r v k t m b <<<"$d"
  P=$(awk -v s="$scale" -v n="$((v * k * b))" 'BEGIN { p = int(1000 * s * 0.01 * n - 1000 + 0.5);
        if (p < -999) p = -999; if (p > 1000) p = 1000; print p }')
  times=() ok=0 rates=()
  for seed in $(seq 1 "$seeds"); do
    log="$out/run.log"
    set +e
    "$cli" optimize --v "$v" --k "$k" --t "$t" --m "$m" --b "$b" --seed "$seed" \
      --criteria absolute --expand "$P" --time "$limit" --quiet --out "$out/c.txt" \
      "${extra[@]}" 2>"$log" >/dev/null
    rc=$?
    set -e
    secs=$(sed -n -E 's/.*after ([0-9.]+) s.*/\1/p' "$log")
    rates+=("$(sed -n -E 's/.* ([0-9]+) per second/\1/p' "$log")")
    if [ "$rc" -eq 0 ]; then ok=$((ok + 1)); times+=("$secs"); else times+=("$limit"); fi
  done
  median=$(printf '%s\n' "${times[@]}" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
  rate=$(printf '%s\n' "${rates[@]}" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
  printf 'c(%d,%d,%d,%d) %5d %8d/%d %9s %12s   (expand %d)\n' "$v" "$k" "$t" "$m" "$b" "$ok" "$seeds" "$median" "$rate" "$P"
done
