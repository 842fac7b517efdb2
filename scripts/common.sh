# Shared by scripts/run and scripts/test: install what is missing, then build.
# shellcheck shell=bash
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"

# Debian packages the build, the tests and the demo need.
PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev libgl-dev libssl-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  python3 python3-pyftpdlib python3-openssl curl
  xvfb xauth fonts-wqy-microhei
)
# What scripts/ci-fuzz needs on top: clang with libFuzzer and the sanitizer runtimes.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() {
  local missing=()
  local p
  for p in "${PACKAGES[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing: ${missing[*]}"
    as_root apt-get update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# The sanitizer build shared by scripts/ci-sanitize and scripts/ci-fuzz: clang
# with AddressSanitizer, UndefinedBehaviorSanitizer and libFuzzer's coverage
# hooks, so one compilation serves both the suite under the sanitizers and
# the fuzz targets. Flags as fuzzing builds usually take them: -O1 and line
# tables only, quick to compile and link, and still naming file and line in
# every report.
SANITIZE_BUILD="$ROOT/build-sanitize"
configure_sanitize_build() {
  cmake -S "$ROOT" -B "$SANITIZE_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
    -DBW_FUZZ=ON -DBW_BENCH=OFF
}

# BW_WERROR=ON in the environment (as CI sets it) turns warnings into errors.
build_project() {
  local options=()
  if [ -n "${BW_WERROR:-}" ]; then
    options+=("-DBW_WERROR=$BW_WERROR")
  fi
  if [ ! -f "$BUILD/build.ninja" ] || [ ${#options[@]} -gt 0 ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}"
  fi
  cmake --build "$BUILD" --parallel "$(nproc)"
}
