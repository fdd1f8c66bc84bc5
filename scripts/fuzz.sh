#!/usr/bin/env bash
# Usage: fuzz.sh SECONDS. Runs both fuzz targets of the native-asan build, SECONDS/2 each, from
# their seeds and what earlier runs kept; builds nothing. Exits non-zero when a target finds a
# crash, a leak, a hang or runs out of memory; the input that did it is left in
# build/native-asan/fuzz/artifacts/ and the run's log in build/native-asan/fuzz/logs/.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
each=$((seconds / 2))
[ "$each" -ge 1 ] || each=1
dir=${SLOTWISE_FUZZ_BUILD:-build/native-asan}/fuzz  # another build tree of the same kind may be named
status=0

for target in fuzz_mount_walk fuzz_mount_write; do
    if [ ! -x "$dir/$target" ]; then
        echo "fuzz.sh: $dir/$target is missing; build the native-asan preset first" >&2
        exit 1
    fi
    mkdir -p "$dir/corpus/$target" "$dir/artifacts" "$dir/logs" "$dir/seeds"
    log="$dir/logs/$target.log"
    echo "== $target: ${each}s"
    # Inputs up to 64 KiB: boot sector, FATs, root and the first clusters of a 1.44M volume.
    if "$dir/$target" -max_total_time="$each" -rss_limit_mb=2048 -max_len=65536 -timeout=20 \
        -print_final_stats=1 -artifact_prefix="$dir/artifacts/$target-" \
        "$dir/corpus/$target" "$dir/seeds" >"$log" 2>&1; then
        grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|^Done ' "$log" | sed 's/^/  /'
    else
        echo "  $target FAILED; the end of $log:"
        tail -n 60 "$log" | sed 's/^/  /'
        status=1
    fi
done
exit $status
