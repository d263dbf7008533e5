#!/usr/bin/env bash
# Synchronisation benchmark: tessarin-cli sync against rsync -a --delete (and
# cp for large files), runs alternated, medians and ratios printed.
#   small tree: first full copy into an empty directory, then a 3% delta sync
#   large files: first full copy of a few 1 GiB files
# tessarin-cli flushes what it wrote before it ends ("完成" means on disk), so
# the fair peers are flushed too: rsync followed by sync -f on the target, and
# cp followed by sync -f. Plain rsync is timed as well, for reference.
# Environment: REPS (default 3), FILES (100000), BIG_COUNT (2), BIG_MIB (1024),
# BENCH_DIR (default /tmp), CLI (the tessarin-cli to time; default: a fresh
# Release build). Every run writes into a fresh directory name.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
REPS=${REPS:-3}
FILES=${FILES:-100000}
BIG_COUNT=${BIG_COUNT:-2}
BIG_MIB=${BIG_MIB:-1024}

. "$here/common.sh"
need_command rsync
# Without the window and the tests: only the command-line tool is timed.
# CLI names another build of it instead (an older one, to compare with).
if [ -n "${CLI:-}" ]; then
  cli=$CLI
else
  (cd "$top" && build_cli build-bench Release -DTESSARIN_GUI=OFF -DTESSARIN_TESTS=OFF)
  cli="$top/build-bench/cli/tessarin-cli"
fi

work=$(mktemp -d "${BENCH_DIR:-/tmp}/tessarin-sync-bench.XXXXXX")
trap 'echo "Removing the trees..."; rm -rf "$work"' EXIT
times="$work/times"
: >"$times"

# run LABEL TOOL COMMAND...: one timed run, dirty pages written out before it.
run() {
  local label=$1 tool=$2
  shift 2
  sync
  local start=$EPOCHREALTIME
  "$@" >/dev/null
  local end=$EPOCHREALTIME
  echo "$label $tool $start $end" >>"$times"
}

# flushed DST COMMAND...: runs the command, then flushes the file system of DST.
flushed() {
  local dst=$1
  shift
  "$@" && sync -f "$dst"
}

# Both trees must agree after every run, whoever made them.
check_equal() {
  if [ -n "$("$cli" compare "$1" "$2" | head -1)" ]; then
    echo "MISMATCH after a run: $1 $2" >&2
    exit 1
  fi
}

# The large files first: a mass delete of small files slows the disk for a while.
if ((BIG_COUNT > 0)); then
  echo "Generating $BIG_COUNT files of $BIG_MIB MiB..."
  python3 "$here/make_sync_trees.py" big "$work/big" --count "$BIG_COUNT" --mib "$BIG_MIB"
  for ((rep = 1; rep <= REPS; rep++)); do
    order="tessarin rsync-flushed cp-flushed"
    ((rep % 2 == 0)) && order="cp-flushed rsync-flushed tessarin"
    for tool in $order; do
      dst="$work/bigcopy-$tool-$rep"
      case $tool in
        tessarin) run big "$tool" "$cli" sync one-to-two "$work/big" "$dst" ;;
        rsync-flushed) run big "$tool" flushed "$dst" rsync -a --delete "$work/big/" "$dst/" ;;
        cp-flushed) run big "$tool" flushed "$dst" cp -a "$work/big" "$dst" ;;
      esac
      check_equal "$work/big" "$dst"
      rm -rf "$dst"
    done
  done
  rm -rf "$work/big"
fi

echo "Generating $FILES small files..."
python3 "$here/make_sync_trees.py" small "$work/old" --files "$FILES"
cp -a "$work/old" "$work/new"
python3 "$here/make_sync_trees.py" delta "$work/new" --percent 3
echo "Delta: $("$cli" compare "$work/new" "$work/old" | grep -c '^→') rows"

# Each tool's delta sync runs on the full copy it has just made: a fresh copy
# of the old tree, verified equal to it.
for ((rep = 1; rep <= REPS; rep++)); do
  order="tessarin rsync-flushed rsync"
  ((rep % 2 == 0)) && order="rsync rsync-flushed tessarin"
  for tool in $order; do
    copy="$work/copy-$tool-$rep"
    case $tool in
      tessarin)
        run full "$tool" "$cli" sync one-to-two "$work/old" "$copy" --delete-old-files
        check_equal "$work/old" "$copy"
        run delta "$tool" "$cli" sync one-to-two "$work/new" "$copy" --delete-old-files ;;
      rsync-flushed)
        run full "$tool" flushed "$copy" rsync -a --delete "$work/old/" "$copy/"
        check_equal "$work/old" "$copy"
        run delta "$tool" flushed "$copy" rsync -a --delete "$work/new/" "$copy/" ;;
      rsync)
        run full "$tool" rsync -a --delete "$work/old/" "$copy/"
        check_equal "$work/old" "$copy"
        run delta "$tool" rsync -a --delete "$work/new/" "$copy/" ;;
    esac
    check_equal "$work/new" "$copy"
  done
done

python3 - "$times" "$BIG_COUNT" "$BIG_MIB" <<'PY'
import statistics, sys
runs = {}
for line in open(sys.argv[1]):
    label, tool, start, end = line.split()
    runs.setdefault((label, tool), []).append(float(end) - float(start))
big_mib = int(sys.argv[2]) * int(sys.argv[3])
def median(label, tool):
    return statistics.median(runs[(label, tool)])
print("Peers flushed as tessarin-cli is: 'rsync+sync' is rsync -a --delete then sync -f on the target,")
print("'cp+sync' is cp -a then sync -f. Targets: small-file runs <= 1.00 x rsync+sync; large-file")
print("throughput >= 0.90 x cp+sync.")
for label, title in (("full", "first full copy, small files"), ("delta", "3% delta sync, small files"),
                     ("big", "first full copy, large files")):
    if (label, "tessarin") not in runs:
        continue
    t, f = median(label, "tessarin"), median(label, "rsync-flushed")
    each = " ".join("%.2f" % x for x in runs[(label, "tessarin")])
    line = "%-30s tessarin %7.2f s  rsync+sync %7.2f s  ratio %.2f x rsync+sync" % (title, t, f, t / f)
    if (label, "rsync") in runs:
        r = median(label, "rsync")
        line += "  (unflushed rsync %.2f s: %.2f x)" % (r, t / r)
    print(line + "  (tessarin runs: %s)" % each)
    if label == "big":
        c = median(label, "cp-flushed")
        print("%-30s tessarin %7.0f MiB/s  cp+sync %7.0f MiB/s  ratio %.2f x cp+sync throughput" %
              ("large-file throughput", big_mib / t, big_mib / c, c / t))
PY
