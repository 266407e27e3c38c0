#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build/fuzz) and runs each for
# SECONDS (default 20), two at a time. Each starts from its seed corpus in
# fuzz/corpus/<target>; what a run adds is kept in build/fuzz/corpus, never in
# the repository. Prints one line per target: runs, executions per second and
# the coverage reached (cov: edges, ft: features). Exits 1 when any target
# finds a fault; the input that broke it is left as build/fuzz/<target>-crash-*
# (FUZZ_OUT changes build/fuzz for the logs, corpora and crash inputs).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
parallel=${FUZZ_JOBS:-2}
# Logs, grown corpora and crash inputs go here (FUZZ_OUT to keep runs apart).
out=$(realpath -m "${FUZZ_OUT:-build/fuzz}")
# The file-based targets write a scratch file per run: keep it in memory.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
cxx=${FUZZ_CXX:-clang++-14}

if ! command -v "$cxx" >/dev/null 2>&1; then
    echo "fuzz: $cxx not found; install clang-14 and libclang-rt-14-dev" >&2
    exit 1
fi

targets=(fuzz_card_saves fuzz_save_icon fuzz_card_container fuzz_save_file fuzz_profile fuzz_wine_registry fuzz_controller
         fuzz_codelist fuzz_cp932 fuzz_program_icons)

launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$cxx" \
    "${launcher[@]}" -DTOBREL_FUZZ=ON -DTOBREL_BUILD_GUI=OFF -DTOBREL_BUILD_BENCH=OFF \
    -DBUILD_TESTING=OFF >/dev/null
mkdir -p "$out"
if ! cmake --build build/fuzz -j "$parallel" --target "${targets[@]}" >"$out/build.log" 2>&1; then
    cat "$out/build.log"
    exit 1
fi

# The largest input each target takes: a whole card with the VGS header for
# the card reader, small files for the rest.
max_len() {
    case "$1" in
        fuzz_card_saves) echo 131300 ;;
        fuzz_controller) echo 3000 ;;
        *) echo 4096 ;;
    esac
}

run_one() {
    local target=$1 work=$out/corpus/$1 log=$out/$1.log
    mkdir -p "$work"
    # -malloc_limit_mb: an allocation sized by a field rather than by the
    # input counts as a finding.
    if "build/fuzz/fuzz/$target" -max_total_time="$seconds" -max_len="$(max_len "$target")" \
            -malloc_limit_mb=128 -rss_limit_mb=1024 -timeout=10 -print_final_stats=1 \
            -artifact_prefix="$out/$target-" "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
        local status
        status=$(grep -E '^#[0-9]+\s+(DONE|pulse|NEW|REDUCE|INITED)' "$log" | tail -n 1 |
                 grep -oE 'cov: [0-9]+ ft: [0-9]+' || true)
        local runs rate
        runs=$(grep -oE 'stat::number_of_executed_units: +[0-9]+' "$log" | grep -oE '[0-9]+$')
        rate=$(grep -oE 'stat::average_exec_per_sec: +[0-9]+' "$log" | grep -oE '[0-9]+$')
        printf '%-20s ok    %ss  runs %s  exec/s %s  %s\n' "$target" "$seconds" "$runs" "$rate" "$status"
    else
        printf '%-20s FOUND a fault: see %s\n' "$target" "$log"
        grep -m 3 -E 'ERROR|property violated|runtime error' "$log" | sed 's/^/    /'
        return 1
    fi
}

failed=0
pids=()
for target in "${targets[@]}"; do
    run_one "$target" &
    pids+=($!)
    if [ ${#pids[@]} -ge "$parallel" ]; then
        wait "${pids[0]}" || failed=1
        pids=("${pids[@]:1}")
    fi
done
for pid in "${pids[@]}"; do
    wait "$pid" || failed=1
done
exit $failed
