#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the installed programs as a user would,
# with a scratch XDG_CONFIG_HOME: they must know they are installed, keep the settings in the
# user's configuration folder, prefer the user's profile to the shared one, and the desktop
# files must pass their validators.
#   install_into_prefix.sh BUILD_DIR CMAKE
set -euo pipefail
build="$1"
cmake="$2"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/prefix"
export XDG_CONFIG_HOME="$scratch/config"
export QT_QPA_PLATFORM=offscreen
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" >/dev/null

id=org.quillon.Quillon
for f in bin/quillon-cli bin/quillon-sim share/quillon/cmdprofile.xml \
  share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
  share/icons/hicolor/scalable/apps/$id.svg share/mime/packages/$id.xml \
  lib/udev/rules.d/70-quillon-serial.rules; do
  [ -f "$prefix/$f" ] || fail "$f not installed"
done
gui=no
[ -x "$build/bin/quillon" ] && gui=yes
if [ $gui = yes ] && [ ! -x "$prefix/bin/quillon" ]; then fail "bin/quillon not installed"; fi

cli="$prefix/bin/quillon-cli"
config="$XDG_CONFIG_HOME/Quillon"

# Installed: the settings path is in the user's configuration folder, the profile the shared one.
paths="$("$cli" paths)"
grep -qx "Installed: yes, prefix $prefix" <<<"$paths" || fail "not seen as installed: $paths"
grep -qx "Settings: $config/Quillon.ini" <<<"$paths" || fail "settings path: $paths"
grep -qx "Profile: $prefix/share/quillon/cmdprofile.xml" <<<"$paths" || fail "profile: $paths"
profile="$("$cli" profile)"
grep -qx "Profile: $prefix/share/quillon/cmdprofile.xml" <<<"$profile" ||
  fail "quillon-cli profile does not read the shared profile"

# The user's settings file is the one read.
mkdir -p "$config"
printf '[Connection]\r\nCOM=/dev/ttyQUILLONTEST\r\n' >"$config/Quillon.ini"
settings="$("$cli" settings)"
grep -qx "COM = /dev/ttyQUILLONTEST" <<<"$settings" || fail "the user's settings are not read"

# A profile of the user's own wins over the shared one.
sed 's|<title>[^<]*</title>|<title>User profile</title>|' \
  "$prefix/share/quillon/cmdprofile.xml" >"$config/cmdprofile.xml"
profile="$("$cli" profile)"
grep -qx "Profile: $config/cmdprofile.xml" <<<"$profile" || fail "user profile not used: $profile"
grep -qx "Title: User profile" <<<"$profile" || fail "user profile title: $profile"

if [ $gui = yes ]; then
  "$prefix/bin/quillon" --quit-when-idle || fail "installed quillon --quit-when-idle failed"
  [ ! -e "$prefix/bin/Quillon.ini" ] || fail "quillon wrote settings beside the program"
fi
[ "$(cat "$config/Quillon.ini")" = "$(printf '[Connection]\r\nCOM=/dev/ttyQUILLONTEST\r')" ] ||
  fail "the settings file was changed by a plain start"

# The desktop files pass their validators (installed by scripts/setup).
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
    fail "AppStream metadata"
fi
echo "installed into $prefix: ok"
