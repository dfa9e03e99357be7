#!/usr/bin/env bash
# Upload image preparation and grid thumbnails side by side with vipsthumbnail and ImageMagick,
# each timed as a whole process (median wall time of several runs) on the same files.
#
#   cmake -B build -DPIXOLET_BENCH=ON && cmake --build build --target image_bench
#   apt-get install libvips-tools imagemagick
#   bench/image_bench.sh [build/bench/image_bench] [runs]
#
# (a) a 6000 x 4000 JPEG prepared at 1024, 1536 and 3072 pixels, quality 95;
# (b) 128-pixel thumbnails of 200 such files, per image;
# (c) the same 200 files added to the batch grid shown on the screen (GRID names grid_bench),
#     file after file and with the thumbnails made on every core.
# CONVERT names ImageMagick's convert when another one comes first on the PATH.
set -euo pipefail

bench=${1:-build/bench/image_bench}
grid=${GRID:-$(dirname "$bench")/grid_bench}
runs=${2:-5}
convert=${CONVERT:-convert}
for tool in "$bench" "$grid" vipsthumbnail "$convert"; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench" make "$work/camera.jpg"
mkdir "$work/many" "$work/thumbs"
for i in $(seq 1 200); do cp "$work/camera.jpg" "$work/many/photo-$i.jpg"; done

# Median wall time in milliseconds of "$@", run $runs times after one warm-up.
median_ms() {
  "$@" >/dev/null 2>&1
  local times=()
  for _ in $(seq 1 "$runs"); do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    times+=($(((end - start) / 1000000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p"
}

echo "(a) 6000 x 4000 JPEG ($(($(stat -c %s "$work/camera.jpg") / 1024)) KiB) to quality 95, median ms of $runs runs"
printf '%-6s %10s %14s %12s\n' size pixolet vipsthumbnail convert
for size in 1024 1536 3072; do
  ours=$(median_ms "$bench" prepare "$work/camera.jpg" "$size" "$work/ours.jpg")
  vips=$(median_ms vipsthumbnail "$work/camera.jpg" -s "$size" -o "$work/vips.jpg[Q=95]")
  magick=$(median_ms "$convert" "$work/camera.jpg" -filter Catrom -resize "${size}x${size}" \
    -quality 95 "$work/magick.jpg")
  printf '%-6s %10s %14s %12s\n' "$size" "$ours" "$vips" "$magick"
done

files=("$work"/many/*.jpg)
echo "(b) 128-pixel thumbnails of ${#files[@]} such files, ms per image (median of $runs runs)"
ours=$(median_ms "$bench" thumbnails "${files[@]}")
vips=$(median_ms vipsthumbnail -s 128 -o "$work/thumbs/%s.jpg" "${files[@]}")
printf '%10s %14s\n' pixolet vipsthumbnail
awk -v a="$ours" -v b="$vips" -v n="${#files[@]}" 'BEGIN { printf "%10.1f %14.1f\n", a / n, b / n }'

echo "(c) the same files added to the batch grid (row, thumbnail, repaint), ms per image"
grid_ms=$(median_ms "$grid" sequential "${files[@]}")
pool_ms=$(median_ms "$grid" pool "${files[@]}")
printf '%10s %10s %14s %14s\n' grid pool thumbnails vipsthumbnail
awk -v g="$grid_ms" -v p="$pool_ms" -v a="$ours" -v b="$vips" -v n="${#files[@]}" \
  'BEGIN { printf "%10.1f %10.1f %14.1f %14.1f\n", g / n, p / n, a / n, b / n }'
