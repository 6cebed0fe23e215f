#!/usr/bin/env bash
# `cmake --install` puts the tool and its man page in place, and CPack packs the same files.
#
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
test -x "$scratch/prefix/bin/tavrix"
test -f "$scratch/prefix/share/man/man1/tavrix.1"
status=0
banner=$("$scratch/prefix/bin/tavrix") || status=$?
test "$status" -eq 2  # the usage line, for want of arguments
grep -q '^Tavrix Ver 1.0.0 ' <<<"$banner"

(cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -G TGZ >/dev/null)
listing=$(tar -tzf "$scratch"/tavrix-*.tar.gz)
grep -q '/bin/tavrix$' <<<"$listing"
grep -q '/share/man/man1/tavrix.1$' <<<"$listing"

if command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null; then
  (cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -G DEB >/dev/null)
  listing=$(dpkg-deb -c "$scratch"/tavrix_*.deb)
  grep -q ' ./usr/bin/tavrix$' <<<"$listing"
  grep -q ' ./usr/share/man/man1/tavrix.1$' <<<"$listing"
  dpkg-deb -f "$scratch"/tavrix_*.deb Depends | grep -q libc6
fi
echo "installed and packed: bin/tavrix, share/man/man1/tavrix.1"
