#!/bin/sh
# Runs each benchmark script with the Squirrel runner and with lua5.4, checks that both print
# the same result, and prints the median wall time of each in milliseconds.
# Each side runs at least 5 times and until its runs add up to half a second.
# usage: bench/squirrel/compare.sh path/to/sqrun [script ...]
runner=${1:?usage: compare.sh path/to/sqrun [script ...]}
shift
dir=$(dirname "$0")
scripts=${*:-fib loop method instance table concat native array string metamethod}

now_ns() { date +%s%N; }

# Median of the run times (ms) of a command; its output goes to $out.
time_runs() {
    runs=""
    count=0
    total=0
    while [ "$count" -lt 5 ] || [ "$total" -lt 500000000 ]; do
        start=$(now_ns)
        "$@" > "$out" 2>&1
        end=$(now_ns)
        runs="$runs $((end - start))"
        total=$((total + end - start))
        count=$((count + 1))
    done
    echo $runs | tr ' ' '\n' | sort -n | awk '{ t[NR] = $1 } END { printf "%.1f", t[int((NR + 1) / 2)] / 1e6 }'
}

sqout=$(mktemp)
luaout=$(mktemp)
trap 'rm -f "$sqout" "$luaout"' EXIT
printf "%-10s %10s %10s %6s  %s\n" bench "squirrel" "lua" ratio result
for name in $scripts; do
    out=$sqout
    sq=$(time_runs "$runner" "$dir/$name.nut")
    out=$luaout
    lua=$(time_runs lua5.4 "$dir/$name.lua")
    ratio=$(awk "BEGIN { printf \"%.2f\", $sq / $lua }")
    if cmp -s "$sqout" "$luaout"; then same="same"; else same="DIFFERS: $(tr '\n' ' ' < "$sqout")/ $(tr '\n' ' ' < "$luaout")"; fi
    printf "%-10s %8sms %8sms %6s  %s\n" "$name" "$sq" "$lua" "$ratio" "$same"
done
