#!/usr/bin/env bash
# Debian 12 packages the build, the application and the tests need.
set -euo pipefail
PKGS="qt6-base-dev qt6-translations-l10n libqt6sql6-sqlite libqt6sql6-psql libpq-dev postgresql libsqlite3-dev libssl-dev fonts-wqy-microhei ccache ninja-build cmake g++ pkg-config poppler-utils python3 python3-xlrd unrtf dpkg-dev file lintian desktop-file-utils appstream libzip-dev libfreexl-dev python3-openpyxl python3-xlwt"
missing=$(dpkg-query -W -f='${Package} ${Status}\n' $PKGS 2>/dev/null | grep -v 'install ok installed' | cut -d' ' -f1 || true)
for p in $PKGS; do dpkg-query -W "$p" >/dev/null 2>&1 || missing="$missing $p"; done
if [ -n "$(echo $missing)" ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $PKGS
fi
