# Sourced by the benchmark scripts. Needs $runs.

# Wall time in nanoseconds of one run of the command; `prepare` runs before it, untimed.
time_once() {
    local prepare=$1; shift
    local start end
    eval "$prepare"
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $((end - start))
}

# The median, in seconds, of the nanosecond figures given.
median_of() {
    printf '%s\n' "$@" | sort -n | awk -v middle=$(($# / 2 + 1)) 'NR == middle { printf "%.3f", $1 / 1e9 }'
}

# Median wall time in seconds of $runs runs of the command; `prepare` runs before each, untimed.
median_seconds() {
    local prepare=$1; shift
    local times=()
    for ((i = 0; i < runs; i++)); do times+=("$(time_once "$prepare" "$@")"); done
    median_of "${times[@]}"
}

# The medians of $runs runs each of two commands (each a prepare text and a command text)
# taken in turns, so that both meet the machine in the same state: the file system still
# tracks the files that earlier runs removed, and creating files costs more for a while.
# Prints "FIRST SECOND".
median_pair() {
    local first=() second=()
    for ((i = 0; i < runs; i++)); do
        first+=("$(time_once "$1" eval "$2")")
        second+=("$(time_once "$3" eval "$4")")
    done
    echo "$(median_of "${first[@]}") $(median_of "${second[@]}")"
}
