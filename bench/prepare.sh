# Sourced by the benchmarks: the release build of the targets they time, and
# the generated sources in build/bench, made once and kept between runs.
cd "$(dirname "${BASH_SOURCE[0]}")/.."
data=build/bench
mkdir -p "$data/scratch"

# bench_build TARGET...
bench_build() {
  cmake --preset release >/dev/null
  cmake --build --preset release -j "$(nproc)" --target "$@" >/dev/null
}

# bench_source LINES FILE [gz]: FILE of LINES generated lines, and FILE.gz beside it when asked.
bench_source() {
  [[ -s $2 ]] || ./build/release/bench/make_astorb "$1" "$2"
  [[ ${3:-} != gz || $2.gz -nt $2 ]] || gzip -6 -c "$2" >"$2.gz"
}

bench_load() { echo "load average $1 the runs: $(cut -d' ' -f1-3 /proc/loadavg)"; }
