#!/usr/bin/env bash
# Upload benchmark, against a local FTP server (pyftpdlib, passive mode) in the same run:
#   throughput  a first upload of a 500-file gallery (pictures, thumbnails, pages; about 20 MB)
#               through the upload over libcurl (temporary names renamed into place, pictures
#               first)  against  curl uploading the same files to the same kind of places in one
#               run over one connection, once plainly and once with the same temporary names and
#               renames (RNFR, RNTO after each file: the protocol's own cost of never showing a
#               partial file)
#   unchanged   the same upload again, nothing changed (the record says so: no file is sent)
#               against  one directory listing of the gallery folder with curl
# Each is a whole program run (start-up included), ROUNDS times, taking turns; the medians and
# their ratio are printed. Target: unchanged < 2 x one listing.
# Usage: bench/upload/run.sh      BUILD_DIR (default build/); ROUNDS (default 5)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build}
rounds=${ROUNDS:-5}
"$root/scripts/deps.sh" build test bench
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target upload_bench >/dev/null
driver="$build/bench/upload/upload_bench"
command -v curl >/dev/null || { echo "run.sh: curl is missing" >&2; exit 1; }

work=$(mktemp -d)
server_pid=""
cleanup() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# The gallery: 500 files in the layout a build writes.
gallery="$work/gallery"
mkdir -p "$gallery/images" "$gallery/thumbs"
: >"$work/list"
for i in $(seq -w 1 160); do
  head -c 120000 /dev/urandom >"$gallery/images/p$i.jpg"
  head -c 8000 /dev/urandom >"$gallery/thumbs/tn_p$i.jpg"
  head -c 1500 /dev/urandom | base64 >"$gallery/p$i.html"
  printf 'images/p%s.jpg\nthumbs/tn_p%s.jpg\np%s.html\n' "$i" "$i" "$i" >>"$work/list"
done
for i in $(seq 1 20); do
  name=index$i.html
  [ "$i" = 1 ] && name=index.html
  head -c 3000 /dev/urandom | base64 >"$gallery/$name"
  echo "$name" >>"$work/list"
done
files=$(wc -l <"$work/list")
bytes=$(du -sb "$gallery" | cut -f1)

mkdir -p "$work/root"
/usr/bin/python3 "$root/tests/net/ftp_test_server.py" --root "$work/root" --log /dev/null \
  >"$work/port" &
server_pid=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(head -1 "$work/port")
host="127.0.0.1:$port"

# curl's run: one connection, every file to its place.
curl_config="$work/curl.conf"
{
  echo 'user = "qguser:qgpass"'
  echo "ftp-create-dirs"
  echo "silent"
  while read -r entry; do
    echo "upload-file = \"$gallery/$entry\""
    echo "url = \"ftp://$host/curl/$entry\""
  done <"$work/list"
} >"$curl_config"
# The same with each file sent under its temporary name and renamed into place.
renames_config="$work/renames.conf"
first=1
while read -r entry; do
  [ $first = 1 ] || echo "next"
  first=0
  base=${entry##*/}
  dir=${entry%"$base"}
  echo 'user = "qguser:qgpass"'
  echo "ftp-create-dirs"
  echo "silent"
  echo "upload-file = \"$gallery/$entry\""
  echo "url = \"ftp://$host/renames/$dir.qg-$base.part\""
  echo "quote = \"-RNFR .qg-$base.part\""
  echo "quote = \"-RNTO $base\""
done <"$work/list" >"$renames_config"

now() { date +%s.%N; }
median() { sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }

: >"$work/ours.t"; : >"$work/curl.t"; : >"$work/renames.t"; : >"$work/again.t"; : >"$work/list.t"
for round in $(seq "$rounds"); do
  rm -rf "$work/root/ours" "$work/root/curl" "$work/root/renames" "$work/record"
  t0=$(now); "$driver" "$host" qguser qgpass ours "$gallery" "$work/list" "$work/record" 2>"$work/ours.err" \
    || { cat "$work/ours.err"; exit 1; }
  t1=$(now); curl -K "$curl_config"; t2=$(now)
  "$driver" "$host" qguser qgpass ours "$gallery" "$work/list" "$work/record" 2>"$work/again.err"
  t3=$(now); curl -s -l "ftp://qguser:qgpass@$host/ours/" >/dev/null; t4=$(now)
  curl -K "$renames_config"; t5=$(now)
  awk -v a="$t0" -v b="$t1" 'BEGIN {print b - a}' >>"$work/ours.t"
  awk -v a="$t1" -v b="$t2" 'BEGIN {print b - a}' >>"$work/curl.t"
  awk -v a="$t2" -v b="$t3" 'BEGIN {print b - a}' >>"$work/again.t"
  awk -v a="$t3" -v b="$t4" 'BEGIN {print b - a}' >>"$work/list.t"
  awk -v a="$t4" -v b="$t5" 'BEGIN {print b - a}' >>"$work/renames.t"
done
cmp -s "$gallery/images/p001.jpg" "$work/root/ours/images/p001.jpg" || { echo "run.sh: the upload differs" >&2; exit 1; }
grep -q "^0 sent, $files skipped" "$work/again.err" || { echo "run.sh: the second upload sent files: $(cat "$work/again.err")" >&2; exit 1; }

cmp -s "$gallery/index.html" "$work/root/renames/index.html" || { echo "run.sh: curl's renamed upload differs" >&2; exit 1; }
ours=$(median <"$work/ours.t"); curl_t=$(median <"$work/curl.t"); renames=$(median <"$work/renames.t")
again=$(median <"$work/again.t"); listing=$(median <"$work/list.t")
printf 'gallery: %d files, %d bytes; %d rounds, medians\n' "$files" "$bytes" "$rounds"
awk -v o="$ours" -v c="$curl_t" -v r="$renames" -v b="$bytes" 'BEGIN {
  printf "throughput  ours %.3f s (%.1f MB/s)  curl %.3f s (%.1f MB/s)  ratio %.2f\n",
    o, b / o / 1e6, c, b / c / 1e6, o / c
  printf "            curl with the same renames %.3f s (%.1f MB/s)  ratio %.2f\n",
    r, b / r / 1e6, o / r }'
awk -v a="$again" -v l="$listing" 'BEGIN {
  printf "unchanged   ours %.3f s  one listing %.3f s  ratio %.2f (target < 2)\n", a, l, a / l }'
