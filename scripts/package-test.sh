#!/usr/bin/env bash
# The Debian packages as a user gets them: builds them from a Release build,
# unpacks them into a temporary root (dpkg -x) and starts the installed program
# there, offscreen, with a fresh HOME, until start-up completes. Lintian checks
# each package against Debian's rules. The data folder
# must appear under that HOME with a seeded db.mdb and the shipped files, and
# nothing may appear beside the program. Prints each package's files and
# dependencies.
#   BUILD_DIR   the Release build folder (default: build-release)
#   NO_BUILD=1  package the build as it is (CI: the one the tests just used)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build-release}

if [ "${NO_BUILD:-0}" != 1 ]; then
  ./scripts/install-deps.sh
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release
  cmake --build "$build_dir" -j "$(nproc)"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "package-test: $*" >&2
  exit 1
}

(cd "$build_dir" && cpack -G DEB -B "$work/packages" > "$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log"
  fail "cpack failed"
}
shopt -s nullglob
packages=("$work"/packages/*.deb)
[ ${#packages[@]} -gt 0 ] || fail "no package was made"
root=$work/root
for deb in "${packages[@]}"; do
  echo "== $(basename "$deb")"
  dpkg-deb -f "$deb" Depends Recommends
  dpkg -c "$deb" | awk '{print $6}' | grep -v '/$'
  dpkg -x "$deb" "$root"
done

# Debian's own check of each package: no errors; the warnings and notes it
# still has are printed
lintian --fail-on error --display-info "${packages[@]}" || fail "lintian found errors"

main=$(ls "$work"/packages/jotrak_*.deb)
# each listing is read whole before it is searched: a search that stops at the
# first match would end the lister early, and pipefail would call that a failure
if grep -q jotrak-webengine <<<"$(dpkg-deb -f "$main" Depends)"; then
  fail "jotrak must only recommend jotrak-webengine"
fi
program=$root/usr/bin/jotrak
[ -x "$program" ] || fail "no usr/bin/jotrak in the packages"
grep -q '/jotrak/libjotrak_compound_file.so$' <<<"$(dpkg-deb -c "$main")" ||
  fail "the spreadsheet module is not in a private library folder of the jotrak package"
grep -q '/jotrak/libjotrak_report_media.so$' <<<"$(dpkg-deb -c "$main")" ||
  fail "the report chart and print module is not in a private library folder of the jotrak package"
if [ -e "$build_dir/bin/libjotrak_webengine.so" ]; then
  [ -n "$(find "$root/usr/lib" -path '*/jotrak/libjotrak_webengine.so')" ] ||
    fail "the web engine module is not in a private library folder"
fi

desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate-tree --no-net "$root" || fail "the AppStream metadata does not validate"

grep -q '^Jotrak [0-9]' <<<"$("$program" --version)" || fail "--version does not answer on standard output"
grep -q -- '--data-dir' <<<"$("$program" --help)" || fail "--help does not answer on standard output"

# A first start as a new user would make it, and one with --data-dir.
start() {
  env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$work/home" QT_QPA_PLATFORM=offscreen \
    timeout 120 "$program" --quit-after-startup 0 --unattended --report-paint "$@" > "$work/run.log" 2>&1 || {
    cat "$work/run.log"
    fail "the installed program did not start and close cleanly ($*)"
  }
  grep -q JOTRAK_READY "$work/run.log" || fail "start-up did not complete ($*)"
}
seeded() {
  local data=$1 rows today
  [ -f "$data/db.mdb" ] || fail "no db.mdb in $data"
  rows=$(sqlite3 "$data/db.mdb" "SELECT COUNT(*) FROM Ri")
  today=$(sqlite3 "$data/db.mdb" "SELECT COUNT(*) FROM Ri WHERE ming = '$(date +%Y%m%d)'")
  [ "$rows" -ge 7305 ] && [ "$today" -eq 1 ] || fail "$data/db.mdb is not seeded ($rows day rows)"
  for name in gey.txt 1.xls start.html; do
    cmp -s "$data/$name" "$root/usr/share/jotrak/Dt/$name" || fail "$data/$name is not the shipped file"
  done
  echo "package-test: $data holds a seeded db.mdb ($rows day rows) and the shipped files"
}
mkdir "$work/home"
start
seeded "$work/home/.local/share/Jotrak/Dt"
start --data-dir "$work/second log"
seeded "$work/second log"
[ "$(ls "$root/usr/bin")" = jotrak ] || fail "the program made something beside itself"
echo "package-test: passed"
