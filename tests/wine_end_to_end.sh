#!/usr/bin/env bash
# Runs the end-to-end tests against the Windows build under wine, with the same expected
# bytes as on Linux; the few POSIX-only checks skip themselves there.
#
#   wine_end_to_end.sh END_TO_END_TEST_BINARY TAVRIX_EXE
#
# Exits 77 (skipped) where wine or the Windows build is missing, except under CI=true, where
# that is a failure.
set -u
tests=$1
exe=${2:-}
wine=$(command -v wine64 || command -v /usr/lib/wine/wine64 || true)
wineserver=$(command -v wineserver || command -v /usr/lib/wine/wineserver || true)
missing=()
[[ -n $wine && -n $wineserver ]] || missing+=("wine (Debian's wine64)")
[[ -n $exe && -f $exe ]] || missing+=("the Windows build (configure with -DTAVRIX_WINDOWS_EXE=...)")
if ((${#missing[@]})); then
  if [[ ${CI:-} == true ]]; then
    echo "missing: ${missing[*]}" >&2
    exit 1
  fi
  echo "skipped: missing ${missing[*]}"
  exit 77
fi

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A wineserver that a client starts keeps the client's output pipes open for seconds after
# the program ends; one persistent server, with its own streams closed, serves every run.
"$wineserver" -p </dev/null >/dev/null 2>&1
trap '"$wineserver" -k 2>/dev/null' EXIT
"$wine" "$exe" >/dev/null 2>&1  # the first start sets up the wine prefix and its messages
TAVRIX_TARGET=windows TAVRIX_WINDOWS_ROOT=Z: TAVRIX_COMMAND="$wine $exe" "$tests"
