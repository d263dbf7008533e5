#!/usr/bin/env bash
# MD5 throughput of tessarin-cli md5 against md5sum and openssl dgst -md5 on the
# same 1 GiB file held in the page cache. The programs run in turn, round after
# round, so a drift of the shared machine's speed touches all of them alike;
# the figures are medians, and the ratios are ratios of medians.
#
# Usage: bench/md5_bench.sh [ROUNDS]   (TESSARIN_CLI overrides the program path)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
cli=${TESSARIN_CLI:-build/cli/tessarin-cli}

. bench/common.sh
need_command openssl
[ -x "$cli" ] || build_cli build RelWithDebInfo

work=$(mktemp -d "${TMPDIR:-/tmp}/md5-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
file="$work/data.bin"
size=$((1024 * 1024 * 1024))
head -c "$size" /dev/urandom >"$file"
cat "$file" >/dev/null # into the page cache

expected=$(md5sum "$file" | cut -d' ' -f1)
[ "$("$cli" md5 "$file" | cut -d' ' -f1)" = "$expected" ] || { echo "tessarin-cli md5: wrong digest" >&2; exit 1; }

seconds() { # runs a command, prints its wall time in seconds
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f\n", b - a }' 
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

declare -a t_cli t_md5sum t_openssl
for ((r = 0; r < rounds; r++)); do
  t_cli+=("$(seconds "$cli" md5 "$file")")
  t_md5sum+=("$(seconds md5sum "$file")")
  t_openssl+=("$(seconds openssl dgst -md5 "$file")")
done

m_cli=$(printf '%s\n' "${t_cli[@]}" | median)
m_md5sum=$(printf '%s\n' "${t_md5sum[@]}" | median)
m_openssl=$(printf '%s\n' "${t_openssl[@]}" | median)
mbs() { awk -v s="$size" -v t="$1" 'BEGIN { printf "%d", s / 1000000 / t }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "1 GiB file in the page cache, $rounds alternating rounds, medians:"
printf '  %-22s %6.3f s  %5s MB/s\n' "tessarin-cli md5" "$m_cli" "$(mbs "$m_cli")"
printf '  %-22s %6.3f s  %5s MB/s\n' "md5sum" "$m_md5sum" "$(mbs "$m_md5sum")"
printf '  %-22s %6.3f s  %5s MB/s\n' "openssl dgst -md5" "$m_openssl" "$(mbs "$m_openssl")"
# Speed ratios (peer time / our time): 1.00 or more means at least as fast.
echo "speed vs md5sum:            $(ratio "$m_md5sum" "$m_cli") x (target >= 1.00)"
echo "speed vs openssl dgst -md5: $(ratio "$m_openssl" "$m_cli") x (target >= 0.95)"
