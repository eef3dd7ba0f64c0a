# Shared set-up of scripts/run and scripts/test: Debian packages, configure, build.
# Sourced, not run.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
JOBS="${JOBS:-$(nproc 2>/dev/null || echo 2)}"

# Packages the build and the tests need on a fresh Debian 12 machine.
BASE_PACKAGES=(cmake ninja-build g++ make pkg-config
  qtbase5-dev qtbase5-dev-tools qttranslations5-l10n
  libgtest-dev libgmock-dev googletest libbenchmark-dev help2man zlib1g-dev libqt5sql5-sqlite
  libqt5sql5-psql postgresql-15 postgresql-client-15 fonts-dejavu-core poppler-utils)

missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

# install_packages PKG...: installs what is missing with apt-get when root;
# otherwise prints the one line to run and fails.
install_packages() {
  local missing
  missing=$(missing_packages "$@" | tr '\n' ' ')
  [ -z "${missing// /}" ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "== Installing: $missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq || return 1
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing >/dev/null || return 1
  else
    echo "Missing packages. Install them with:"
    echo "  sudo apt-get install -y $missing"
    return 1
  fi
}

configure_and_build() {
  install_packages "${BASE_PACKAGES[@]}" || exit 1
  echo "== Configuring in $BUILD"
  mkdir -p "$BUILD"
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$BUILD/configure.log" 2>&1 \
    || { cat "$BUILD/configure.log"; exit 1; }
  echo "== Building"
  cmake --build "$BUILD" -j "$JOBS" || exit 1
}

# add_deb_src_entries: Debian's list on a fresh machine has binary entries
# only; adds source twins of the machine's own Debian entries, in a file of
# their own, so that apt-get source works. Needs root.
add_deb_src_entries() {
  [ "$(id -u)" -eq 0 ] || { echo "Need root once to add the deb-src entries for Debian's sources." >&2; return 1; }
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
      >/etc/apt/sources.list.d/quorvel-deb-src.sources
  else
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >/etc/apt/sources.list.d/quorvel-deb-src.list
  fi
  apt-get update -qq
}
