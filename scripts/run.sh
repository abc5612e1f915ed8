#!/usr/bin/env bash
# Installs what is needed, builds Jotrak and starts it. The log is kept in the
# user's data folder (~/.local/share/Jotrak/Dt), out of the build folder, so a
# rebuild or a fresh clone cannot touch it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo}
cmake --build build -j "$(nproc)" --target jotrak

# Earlier builds kept the log beside the program, in build/bin/Dt, and a
# writable Dt there would still be used. Its log moves to the user's data
# folder when that has none; copies of the shipped files are dropped; anything
# else is kept aside in the build folder.
earlier=build/bin/Dt
if [ -d "$earlier" ]; then
  data="${XDG_DATA_HOME:-$HOME/.local/share}/Jotrak/Dt"
  if [ -e "$earlier/db.mdb" ] && [ ! -e "$data/db.mdb" ]; then
    mkdir -p "$data"
    for name in db.mdb db.mdb-journal; do
      if [ -e "$earlier/$name" ]; then mv "$earlier/$name" "$data/$name"; fi
    done
    echo "run.sh: the log of an earlier build, $earlier/db.mdb, is now $data/db.mdb"
  fi
  for file in "$earlier"/*; do
    shipped=build/share/jotrak/Dt/$(basename "$file")
    if [ -f "$file" ] && [ -f "$shipped" ] && cmp -s "$file" "$shipped"; then rm -f "$file"; fi
  done
  if ! rmdir "$earlier" 2> /dev/null; then
    kept=build/Dt-of-an-earlier-build-$(date +%Y%m%d-%H%M%S)
    mv "$earlier" "$kept"
    if [ -e "$kept/db.mdb" ]; then
      echo "run.sh: $data already holds a log, so the earlier build's log stays apart, as $kept/db.mdb"
    else
      echo "run.sh: files an earlier build kept in $earlier are now in $kept"
    fi
  fi
fi
exec ./build/bin/jotrak "$@"
