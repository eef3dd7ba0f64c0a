# shellcheck shell=bash
# Shared by the scripts that build a cache outside the work tree
# (build-qt-windows, build-libpq-windows). Sourced, not run.

# build_steps_hash SCRIPT: a hash of the script's commands, without its
# comments and blank lines, so that a change of a build step (a compile flag,
# a link of the toolchain) makes a new cache while a change of its words
# does not.
build_steps_hash() {
  grep -v -e '^[[:space:]]*#' -e '^[[:space:]]*$' "$1" | sha256sum | cut -c1-16
}

# installed_version PACKAGE: the version of an installed Debian package, which
# a cache is made for; fails, saying so, when the package is not installed.
installed_version() {
  local version
  version=$(dpkg-query -W -f='${Version}' "$1" 2>/dev/null)
  if [ -z "$version" ]; then
    echo "$1 is not installed; the cache is made for its installed version" >&2
    return 1
  fi
  echo "$version"
}

# hold_cache_lock PREFIX: waits while another run builds the cache PREFIX,
# then keeps other runs out of it until this script ends (the lock lives on
# the script's descriptor 9).
hold_cache_lock() {
  mkdir -p "$(dirname "$1")" || return 1
  exec 9>"$1.lock" || return 1
  if ! flock -n 9; then
    echo "== waiting for another run that builds $1" >&2
    flock 9 || return 1
  fi
}
