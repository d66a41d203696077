#!/bin/sh
# Times each benchmark script with the Squirrel runner and with lua5.4 (user seconds).
# usage: bench/squirrel/compare.sh path/to/sqrun
runner=${1:?usage: compare.sh path/to/sqrun}
dir=$(dirname "$0")
printf "%-8s %8s %8s %6s\n" bench squirrel lua ratio
for name in fib loop method table concat native array string metamethod; do
    sq=$( { /usr/bin/time -f "%U" "$runner" "$dir/$name.nut" > /dev/null; } 2>&1 | tail -1)
    lua=$( { /usr/bin/time -f "%U" lua5.4 "$dir/$name.lua" > /dev/null; } 2>&1 | tail -1)
    ratio=$(awk "BEGIN { if ($lua > 0) printf \"%.2f\", $sq / $lua; else print \"-\" }")
    printf "%-8s %8s %8s %6s\n" "$name" "$sq" "$lua" "$ratio"
done
