# Sourced by every script under script/: strict mode, and a command that fails is named on
# stderr in one line (script, line, command, status) before the script exits.
set -Eeuo pipefail
export LC_ALL=C
script_name="$(basename "$(dirname "$0")")/$(basename "$0")"
trap 'status=$?; [ "$BASHPID" = "$$" ] && echo "$script_name: line $LINENO: \"$BASH_COMMAND\" failed (exit $status)" >&2' ERR

# Stops the script with one line on stderr.
fail() {
  echo "$script_name: $*" >&2
  exit 1
}

# The sanitizer tree (build-san/): clang with AddressSanitizer and UndefinedBehaviorSanitizer,
# and libFuzzer's coverage everywhere, so that one build serves the fuzz targets and the
# engine the soak plays. Builds the given targets.
build_sanitizer_tree() {
  if [ ! -f build-san/CMakeCache.txt ]; then
    CC=clang CXX=clang++ cmake -S . -B build-san -G Ninja -DTARVEX_FUZZ=ON -DTARVEX_BENCH=OFF \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build build-san -j "$(nproc)" --target "$@"
}

# The demo game written by this build's generator into build/DIR (packages, or loose files
# with --loose), made again whenever the generator is newer than the copy.
generated_demo() {
  local dir="build/$1"
  shift
  if [ ! -f "$dir/.complete" ] || [ build/tarvex-demo -nt "$dir/.complete" ]; then
    local work="$dir.tmp.$$"
    rm -rf "$work"
    build/tarvex-demo "$work" "$@" >/dev/null || { rm -rf "$work"; fail "tarvex-demo could not write $dir"; }
    touch "$work/.complete"
    rm -rf "$dir"
    mv -T "$work" "$dir" 2>/dev/null || rm -rf "$work"
  fi
}
