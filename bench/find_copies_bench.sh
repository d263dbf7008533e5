#!/usr/bin/env bash
# Wall time of tessarin-cli find-copies on a generated tree of 100,000 files,
# against the pipeline that does the same work by hand (walk, stat every file,
# hash the files of the chosen size: find -size Nc -exec md5sum) and against
# jdupes -r, which looks for every duplicate. The programs run in turn, round
# after round, on a warm page cache; figures are medians, ratios of medians.
#
# Usage: bench/find_copies_bench.sh [ROUNDS]   (TESSARIN_CLI overrides the program path)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
cli=${TESSARIN_CLI:-build/cli/tessarin-cli}

. bench/common.sh
need_command jdupes
[ -x "$cli" ] || build_cli build RelWithDebInfo

work=$(mktemp -d "${TMPDIR:-/tmp}/find-copies-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
root="$work/tree"

# 1,000 directories in two levels, 100 files each of 100 to 4,000 random
# bytes; a chosen file of 3,001 bytes with 4 copies, and 10 other files of
# that size with other content.
python3 - "$root" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(7)
chosen_size = 3001
for d in range(1000):
    path = os.path.join(root, f"d{d // 50:02d}", f"s{d % 50:02d}")
    os.makedirs(path)
    for f in range(100):
        size = rng.randrange(100, 4000)
        if size == chosen_size:
            size += 1
        with open(os.path.join(path, f"f{f:03d}.dat"), "wb") as out:
            out.write(os.urandom(size))
chosen = os.urandom(chosen_size)
for i, d in enumerate(["d00/s00", "d05/s17", "d11/s42", "d19/s49", "d07/s03"]):
    with open(os.path.join(root, d, "chosen.bin" if i == 0 else f"copy{i}.bin"), "wb") as out:
        out.write(chosen)
for i in range(10):
    with open(os.path.join(root, f"d{i:02d}", "s10", f"decoy{i}.bin"), "wb") as out:
        out.write(os.urandom(chosen_size))
PY
chosen="$root/d00/s00/chosen.bin"
size=$(stat -c %s "$chosen")
files=$(find "$root" -type f | wc -l)

run_cli() { "$cli" find-copies "$chosen" "$root"; }
run_find() { find "$root" -type f -size "${size}c" -exec md5sum {} +; }
run_jdupes() { jdupes -r -q "$root"; }

found=$(run_cli | sort)
expected=$(run_find | awk -v d="$(md5sum <"$chosen" | cut -d' ' -f1)" -v c="$chosen" '$1 == d && $2 != c { print $2 }' | sort)
[ "$found" = "$expected" ] && [ "$(echo "$found" | wc -l)" -eq 4 ] || { echo "find-copies: wrong result" >&2; echo "$found" >&2; exit 1; }
run_jdupes >/dev/null # warm the page cache with every file's content

seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f\n", b - a }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

declare -a t_cli t_find t_jdupes
for ((r = 0; r < rounds; r++)); do
  t_cli+=("$(seconds run_cli)")
  t_find+=("$(seconds run_find)")
  t_jdupes+=("$(seconds run_jdupes)")
done
m_cli=$(printf '%s\n' "${t_cli[@]}" | median)
m_find=$(printf '%s\n' "${t_find[@]}" | median)
m_jdupes=$(printf '%s\n' "${t_jdupes[@]}" | median)

echo "$files files, chosen file of $size bytes with 4 copies; $rounds alternating rounds, medians:"
printf '  %-44s %7.3f s\n' "tessarin-cli find-copies" "$m_cli"
printf '  %-44s %7.3f s\n' "find -type f -size ${size}c -exec md5sum {} +" "$m_find"
printf '  %-44s %7.3f s\n' "jdupes -r" "$m_jdupes"
echo "time vs find | md5sum: $(ratio "$m_cli" "$m_find") x (target <= 1.00)"
echo "time vs jdupes:        $(ratio "$m_cli" "$m_jdupes") x (target <= 0.50)"
