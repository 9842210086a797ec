# Sourced by the benchmark scripts. Needs $runs.

# Median wall time in seconds of $runs runs of the command; `prepare` runs before each, untimed.
median_seconds() {
    local prepare=$1; shift
    local times=() start end
    for ((i = 0; i < runs; i++)); do
        eval "$prepare"
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s%N)
        times+=($((end - start)))
    done
    printf '%s\n' "${times[@]}" | sort -n | awk -v middle=$((runs / 2 + 1)) 'NR == middle { printf "%.3f", $1 / 1e9 }'
}
