#!/usr/bin/env bash
# Cross-builds the Windows plug-in (trellisk.tbp), the test host and the test
# programs with MinGW-w64 on Debian 12, and runs the tests under wine,
# headless. Idempotent; run as root from anywhere.
#
#   WIN_ARCHES       architectures to build          (default "x86_64 i686")
#   WIN_TEST_ARCHES  architectures to test under wine (default "x86_64"; the
#                    32-bit run needs wine32, see scripts/windows-test-i686.sh);
#                    an architecture that is not tested gets only the plug-in
#                    and the test host built
#   WIN_SUITES       the test programs built and run under wine (default: the
#                    suites that hold on Windows, below; windows_setup_test
#                    opens the setup dialog on a virtual X display, Xvfb)
#   WIN_CACHE        PCRE2 sources and builds, wine prefixes (default
#                    ~/.cache/trellisk-windows, kept across clones like ccache)
#   WIN_JOBS         parallel build jobs (default: the number of cores)
#
# PCRE2 comes from Debian's source package, built once per architecture into
# the cache; Boost.Regex is header-only and GoogleTest is built from
# Debian's source (/usr/src/googletest) inside the cross build.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
arches=${WIN_ARCHES:-"x86_64 i686"}
test_arches=${WIN_TEST_ARCHES:-"x86_64"}
cache=${WIN_CACHE:-$HOME/.cache/trellisk-windows}
jobs=${WIN_JOBS:-$(nproc)}
pcre2_version=10.42
# The suites that hold on Windows, built and run for the tested
# architectures. The others compare file bytes with LF line ends or paths
# with "/" separators, as written on Linux, and stay there.
suites=${WIN_SUITES:-"platform_test platform_win32_test registry_test string_table_test store_table_test
  store_concurrency_test classifier_test line_end_portability_test windows_e2e_test windows_setup_test"}
t0=$SECONDS
phase() { echo "windows-cross.sh [$((SECONDS - t0))s]: $*"; }
quiet() {  # runs a command, showing its output only when it fails
  local log
  log=$(mktemp)
  if ! "$@" >"$log" 2>&1; then
    tail -60 "$log"
    rm -f "$log"
    echo "windows-cross.sh: failed: $*" >&2
    exit 1
  fi
  rm -f "$log"
}

install_packages() {
  export DEBIAN_FRONTEND=noninteractive
  local packages=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix cmake ninja-build dpkg-dev
                  libboost1.81-dev googletest wine wine64 ccache xvfb)
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  apt-get -o DPkg::Lock::Timeout=600 update -qq
  apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Debian's source of PCRE2. The source list names bookworm and
# bookworm-updates only: the security archive lists a newer source that its
# mirror does not serve.
fetch_pcre2_source() {
  [ -d "$cache/src/pcre2-$pcre2_version" ] && return 0
  local sources=/etc/apt/sources.list.d/trellisk-debian-src.sources
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && [ ! -f "$sources" ]; then
    printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm bookworm-updates' \
      'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' >"$sources"
    apt-get -o DPkg::Lock::Timeout=600 update -qq
  fi
  mkdir -p "$cache/src"
  (cd "$cache/src" && quiet apt-get source -qq --only-source "pcre2=$pcre2_version-1")
}

build_pcre2() {  # architecture
  local prefix=$cache/pcre2-$1
  [ -f "$prefix/lib/libpcre2-8.a" ] && return 0
  quiet cmake -S "$cache/src/pcre2-$pcre2_version" -B "$cache/build/pcre2-$1" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-$1.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON \
    -DPCRE2_BUILD_PCRE2_8=ON -DPCRE2_BUILD_PCRE2_16=OFF -DPCRE2_BUILD_PCRE2_32=OFF -DPCRE2_SUPPORT_JIT=ON \
    -DPCRE2_BUILD_PCRE2GREP=OFF -DPCRE2_BUILD_TESTS=OFF -DCMAKE_C_COMPILER_LAUNCHER=ccache
  quiet cmake --build "$cache/build/pcre2-$1" -j "$jobs"
  quiet cmake --install "$cache/build/pcre2-$1"
}

build_arch() {  # architecture, then the targets (none: everything)
  local arch=$1 dir=$repo/build-win-$1
  shift
  quiet cmake -S "$repo" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DTRELLISK_PCRE2_PREFIX="$cache/pcre2-$arch" -DTRELLISK_BUILD_BENCH=OFF \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache -DTRELLISK_LNG_TOOL="$lng_tool"
  quiet cmake --build "$dir" -j "$jobs" ${1:+--target "$@"}
}

# trellisk-lng for this machine: it compiles the translations into the
# trellisk.lng beside each Windows plug-in.
build_lng_tool() {
  local dir=$repo/build/lng-tool
  quiet cmake -S "$repo" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRELLISK_BUILD_TESTS=OFF \
    -DTRELLISK_BUILD_BENCH=OFF -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
  quiet cmake --build "$dir" -j "$jobs" --target trellisk-lng
  lng_tool=$dir/trellisk-lng
}

# A wine prefix of our own, made once: no Mono or Gecko prompts, no display.
prepare_wine() {
  export WINEPREFIX=$cache/wine-$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
  unset DISPLAY
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    quiet wineboot -i
    wineserver -w
  fi
}

# A virtual X display for the test programs that open dialogs, made before
# wine's first program so that its desktop has it. Wine places its windows
# itself: no window manager to wait for.
start_display() {
  local number
  number=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
  display_pid=$!
  for _ in $(seq 1 50); do [ -s "$number" ] && break; sleep 0.1; done
  export DISPLAY=:$(cat "$number")
  rm -f "$number"
}

test_arch() {  # architecture
  prepare_wine "$1"
  start_display
  wineserver -p 2>/dev/null || true  # one server for every test program (unless one runs)
  grep -qs '"Managed"="N"' "$WINEPREFIX/user.reg" ||
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # One program first: two programs that start wine's services at the same
  # moment can hang.
  wine cmd /c exit 0
  local rc=0
  local names
  names=$(echo $suites plugin_exports_only_tbp | tr ' ' '|')
  ctest --test-dir "$repo/build-win-$1" --output-on-failure -j 2 -R "^($names)\$" || rc=$?
  wineserver -k || true
  kill "$display_pid" 2>/dev/null || true
  return $rc
}

export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/trellisk-ccache}
export CCACHE_BASEDIR=$repo CCACHE_NOHASHDIR=true
phase "packages"
install_packages
phase "PCRE2 $pcre2_version"
fetch_pcre2_source
for a in $arches; do build_pcre2 "$a"; done
phase "trellisk-lng"
build_lng_tool
for a in $arches; do
  phase "build $a"
  if [[ " $test_arches " == *" $a "* ]]; then
    build_arch "$a" trellisk trellisk-host $suites
  else
    build_arch "$a" trellisk trellisk-host
  fi
done
for a in $arches; do
  if [[ " $test_arches " == *" $a "* ]]; then
    phase "tests $a under wine"
    test_arch "$a"
  else
    phase "exports of the $a plug-in"  # read from the file; needs no wine
    ctest --test-dir "$repo/build-win-$a" --output-on-failure -R '^plugin_exports_only_tbp$'
  fi
done
phase "done"
