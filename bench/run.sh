#!/usr/bin/env bash
# Measures Vexlo against the machine's own floor for the same work, side by
# side in one run, and prints each ratio with its goal.
#
#   bash bench/run.sh            # builds the release preset first
#   VEXLO=/path/to/vexlo BENCH_DIR=/some/disk bash bench/run.sh
#
# Needs hyperfine and GNU time (/usr/bin/time); uses about 500 MB in BENCH_DIR
# (default build/bench). Times are medians; every timed write starts with the
# file system synced, its own and its floor's.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."

vexlo=${VEXLO:-build/release/vexlo}
if [ -z "${VEXLO:-}" ]; then
  cmake --preset release >/dev/null && cmake --build --preset release >/dev/null
fi
vexlo=$(realpath "$vexlo")
work=${BENCH_DIR:-build/bench}
mkdir -p "$work"
work=$(realpath "$work")
cd "$work"
for tool in hyperfine /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install hyperfine time)" >&2; exit 1; }
done

big=100000000
awk -v size=$big -v place=middle -f "$OLDPWD/bench/make_profile.awk" > middle.ini
awk -v size=$big -v place=end -f "$OLDPWD/bench/make_profile.awk" > end.ini
awk -v size=100 -v place=end -f "$OLDPWD/bench/make_profile.awk" > small.ini
printf '[S]\r\nk=new\r\n' > src.ini
printf '[S]\r\nk=new\r\n' > holds-new.ini
cp middle.ini big-dest.ini
cp small.ini small-dest.ini
# The source's value alternates between runs, so every timed write writes.
cat > flip.sh <<'FLIP'
#!/bin/sh
if grep -q one flip.ini 2>/dev/null; then printf '[S]\r\nk=two\r\n' > flip.ini; else printf '[S]\r\nk=one\r\n' > flip.ini; fi
sync
FLIP
chmod +x flip.sh
./flip.sh

# The median of one hyperfine measurement, in seconds.
median() { # name, hyperfine arguments...
  local name=$1
  shift
  hyperfine -N --style none --export-json "$name.json" "$@" >/dev/null 2>&1
  grep -o '"median": *[0-9.e-]*' "$name.json" | head -1 | sed 's/.*: *//'
}

# Prints one row: work, ours, floor, ratio, goal and whether it is met.
rows=()
failed=0
row() { # work, ours (s), floor (s), goal
  local verdict
  verdict=$(awk -v a="$2" -v b="$3" -v g="$4" 'BEGIN { r = a / b; printf "%.2f %s", r, (r <= g ? "met" : "MISSED") }')
  [[ $verdict == *MISSED ]] && failed=1
  rows+=("$(printf '%-58s %9.2f ms %9.2f ms %7s  <= %-4s %s' "$1" "$(awk -v s="$2" 'BEGIN{print s*1000}')" \
    "$(awk -v s="$3" 'BEGIN{print s*1000}')" "${verdict% *}" "$4" "${verdict#* }")")
}

runs=(--warmup 3 --runs 15)
few=(--warmup 5 --runs 60)

write_big=$(median write-big "${runs[@]}" --prepare ./flip.sh "$vexlo flip.ini big-dest.ini S k")
cp_big=$(median cp-big "${runs[@]}" --prepare sync "cp middle.ini big-copy.ini")
sync_big=$(median sync-big "${runs[@]}" --prepare "cp middle.ini big-copy.ini" "sync big-copy.ini")
row "write one value in the middle of a 100 MB profile" "$write_big" "$(awk -v a="$cp_big" -v b="$sync_big" 'BEGIN{print a+b}')" 1.3

read_end=$(median read-end "${runs[@]}" "$vexlo end.ini holds-new.ini S k")
cat_end=$(median cat-end "${runs[@]}" "cat end.ini")
row "read a parameter at the end of a 100 MB source" "$read_end" "$cat_end" 2

write_small=$(median write-small "${few[@]}" --prepare ./flip.sh "$vexlo flip.ini small-dest.ini S k")
cp_small=$(median cp-small "${few[@]}" --prepare sync "cp small.ini small-copy.ini")
sync_small=$(median sync-small "${few[@]}" --prepare "cp small.ini small-copy.ini" "sync small-copy.ini")
row "write one value in a 100-byte profile" "$write_small" "$(awk -v a="$cp_small" -v b="$sync_small" 'BEGIN{print a+b}')" 2

no_rewrite=$(median no-rewrite "${few[@]}" "$vexlo src.ini holds-new.ini S k")
true_run=$(median true "${few[@]}" "/bin/true")
row "copy a value the destination already holds" "$no_rewrite" "$true_run" 3

# Peak memory: the largest of three runs each, in KiB.
peak() { # destination
  local most=0 kib
  for _ in 1 2 3; do
    ./flip.sh
    kib=$(/usr/bin/time -f %M "$vexlo" flip.ini "$1" S k 2>&1 >/dev/null | tail -1)
    ((kib > most)) && most=$kib
  done
  echo "$most"
}
peak_big=$(peak big-dest.ini)
peak_small=$(peak small-dest.ini)
extra=$((peak_big - peak_small))
memory_verdict=met
((extra > 2048)) && memory_verdict=MISSED && failed=1

echo "Vexlo benchmark, $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'), kernel $(uname -r)," \
  "$(df -T . | awk 'NR == 2 { print $2 }') file system under $work"
echo "tool: $vexlo"
echo
printf '%-58s %12s %12s %7s  %s\n' "work (medians)" "vexlo" "floor" "ratio" "goal"
for line in "${rows[@]}"; do
  echo "$line"
done
printf '%-58s %9d KiB %9d KiB %+6d KiB  <= +2048 KiB %s\n' "peak memory: 100 MB write against 100-byte write" \
  "$peak_big" "$peak_small" "$extra" "$memory_verdict"
echo
echo "floors: write rows = cp of the same file + sync of the copy (each measured alone);"
echo "        read = cat of the file to /dev/null; no rewrite = /bin/true"
rm -f big-copy.ini small-copy.ini
exit $failed
