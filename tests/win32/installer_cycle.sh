#!/usr/bin/env bash
# The installer's whole cycle under wine and Xvfb, in a wine prefix of its own:
#   installer_cycle.sh <installer_driver.exe> <morbilex.msi> <work folder>
# The driver installs (for every user, then for this user), runs the installed
# program and removes it; afterwards the prefix must hold no file and no
# registry key that it did not hold before, besides the installer's own empty
# bookkeeping folders.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
driver="$1"
package="$(realpath "$2")"
work="$3"
windows_path() { echo "Z:${1//\//\\}"; }

rm -rf "$work"
mkdir -p "$work"
export WINEDEBUG="${WINEDEBUG:--all}"
WINEPREFIX="$(mktemp -d /tmp/morbilex-installer.XXXXXX)"
export WINEPREFIX
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$WINEPREFIX"' EXIT

product_code="$(msiinfo export "$package" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }')"
if [ -z "$product_code" ]; then
  echo "no product code in $package" >&2
  exit 1
fi

# What the prefix holds: its files, and the keys of its registry (wine writes
# them out when its server ends).
snapshot() {
  (cd "$WINEPREFIX" && find drive_c | LC_ALL=C sort >"$work/$1.files" &&
    grep -h '^\[' system.reg user.reg | sed -e 's/\] [0-9]*$/]/' -e 's/\\\\/\\/g' | LC_ALL=C sort >"$work/$1.keys")
}
wineboot --init >/dev/null 2>&1
wineserver -w
snapshot before

bash "$here/with_display.sh" "$work" "$driver" "$(windows_path "$package")" "$product_code" |
  tr -d '\r' | tee "$work/driver_outcome.txt"
status=${PIPESTATUS[0]}
wineserver -w
snapshot after

# The installer's bookkeeping: its folders and the empty keys that hold the
# products it knows.
bookkeeping='^drive_c/windows/Installer$|^drive_c/users/[^/]*/AppData/Roaming/Microsoft/Installer$|\\Installer\\(Features|Products|UpgradeCodes)\]$|\\Installer\\UserData\\[^\\]*\\(Components|Products)\]$'
left="$(comm -13 <(cat "$work/before.files" "$work/before.keys" | LC_ALL=C sort) \
  <(cat "$work/after.files" "$work/after.keys" | LC_ALL=C sort) | grep -Ev "$bookkeeping")"
if [ -n "$left" ]; then
  echo "FAIL left behind after removal:" >&2
  echo "$left" >&2
  status=1
fi
if [ "$status" -eq 0 ] && ! grep -qx '0 failed' "$work/driver_outcome.txt"; then
  echo "the driver did not finish" >&2
  status=1
fi
exit "$status"
