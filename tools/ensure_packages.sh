#!/usr/bin/env bash
# Installs the Debian packages of the given groups of tools/packages.txt that
# the machine lacks. As root it runs apt-get; otherwise it prints the command to
# run as root and exits with status 2, so that the caller stops before building.
# Usage: tools/ensure_packages.sh GROUP...
set -euo pipefail
list="$(dirname "$0")/packages.txt"

if [ "$#" -eq 0 ]; then
  echo "usage: $0 GROUP... (groups of $list)" >&2
  exit 1
fi

missing=()
for group in "$@"; do
  listed=0
  while read -r package package_group _; do
    case "$package" in '' | '#'*) continue ;; esac
    [ "$package_group" = "$group" ] || continue
    listed=1
    dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null | grep -q '^ii' ||
      missing+=("$package")
  done <"$list"
  if [ "$listed" -eq 0 ]; then
    echo "$0: no package of group '$group' in $list" >&2
    exit 1
  fi
done

[ "${#missing[@]}" -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  {
    echo "Missing Debian packages: ${missing[*]}"
    echo "Install them as root, then run this again:"
    echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
  } >&2
  exit 2
fi

# apt's output goes to stderr: the caller's standard output may be a report.
echo "Installing missing Debian packages: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
# Another apt run (a second session, unattended upgrades) may hold the lock.
apt-get -q -o DPkg::Lock::Timeout=300 update >&2
apt-get -q -y -o DPkg::Lock::Timeout=300 install --no-install-recommends "${missing[@]}" >&2
