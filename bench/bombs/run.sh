#!/usr/bin/env bash
# Memory bound of decoding: builds a gallery of four decompression bombs (470 KB PNGs declaring
# 22000 x 22000 gray pixels, 1.4 GB each once decoded to RGB) and prints, measured in the same
# run, the peak memory (resident maximum) of the build with --jobs 1 and with --jobs 2 against
# the memory budget given to it: the two workers share the budget, so the second job must not
# double the peak. Then the same build under a budget smaller than one picture, which must be
# refused at once with a message naming the picture.
# Usage: bench/bombs/run.sh     BUILD_DIR (default build/); SIDE (default 22000);
#                               BUDGET (bytes; default 1.6 x what one picture needs)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build}
side=${SIDE:-22000}
"$root/scripts/deps.sh" build bench
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target quillon-cli >/dev/null
cli="$build/bin/quillon-cli"
[ -x /usr/bin/time ] || { echo "run.sh: /usr/bin/time is missing (scripts/deps.sh bench)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"

# The bomb: an 8-bit gray PNG of zeros, compressed row by row.
python3 - "$work/bomb-1.png" "$side" <<'PY'
import struct, sys, zlib
path, side = sys.argv[1], int(sys.argv[2])
def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
packer = zlib.compressobj(9)
row = bytes(side + 1)
data = b''.join(packer.compress(row) for _ in range(side)) + packer.flush()
with open(path, 'wb') as out:
    out.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', side, side, 8, 0, 0, 0, 0)))
    out.write(chunk(b'IDAT', data) + chunk(b'IEND', b''))
PY
for i in 2 3 4; do cp "$work/bomb-1.png" "$work/bomb-$i.png"; done
"$cli" add "$work/bombs.tnp" "$work"/bomb-?.png >/dev/null

picture=$((side * side * 3))
budget=${BUDGET:-$((picture * 16 / 10))}
mb() { awk -v b="$1" 'BEGIN { printf "%.0f MB", b / 1048576 }'; }

# measure JOBS BUDGET: one build; sets secs, peak (bytes) and status.
measure() {
  rm -rf "$work/out"
  mkdir -p "$work/out"
  set +e
  QUILLON_MEMORY_BUDGET=$2 /usr/bin/time -f '%e %M' -o "$work/time" \
    "$cli" build "$work/bombs.tnp" --dest "$work/out" --jobs "$1" >/dev/null 2>"$work/stderr"
  status=$?
  set -e
  read -r secs kb < <(tail -n 1 "$work/time")
  peak=$((kb * 1024))
}

echo "four $(du -k "$work/bomb-1.png" | cut -f1) KB PNGs declaring $side x $side pixels ($(mb $picture) each decoded); budget $(mb "$budget")"
measure 1 "$budget"
[ "$status" -eq 0 ] || { cat "$work/stderr" >&2; exit 1; }
peak1=$peak secs1=$secs
measure 2 "$budget"
[ "$status" -eq 0 ] || { cat "$work/stderr" >&2; exit 1; }
peak2=$peak secs2=$secs
awk -v p1="$peak1" -v p2="$peak2" -v b="$budget" -v s1="$secs1" -v s2="$secs2" 'BEGIN {
  printf "--jobs 1   peak %6.0f MB  %.2fx the budget  %6.1f s\n", p1 / 1048576, p1 / b, s1;
  printf "--jobs 2   peak %6.0f MB  %.2fx the budget  %6.1f s  (%.2fx the peak of --jobs 1)\n",
         p2 / 1048576, p2 / b, s2, p2 / p1 }'

small=$((picture / 2))
measure 2 "$small"
if [ "$status" -eq 0 ]; then
  echo "budget $(mb $small): the build did not refuse the pictures" >&2
  exit 1
fi
printf "budget %s: refused in %.2f s, peak %.0f MB: %s\n" "$(mb $small)" "$secs" "$((peak / 1048576))" \
  "$(grep -m1 'too large' "$work/stderr" || head -n 1 "$work/stderr")"
