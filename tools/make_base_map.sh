#!/usr/bin/env bash
# Draws the base map of the Houston region and cuts it into the four tiles
# data/maps/ll.bmp, lr.bmp, ul.bmp and ur.bmp.
#
# The picture covers longitude -96.62202 to -94.35338 and latitude 28.76915
# to 30.90672 in plate carree (longitude and latitude linear), 2048 x 2048
# pixels, north up, with no frame, margin or annotation, so that a point
# lands at column floor((lon + 96.62202) / 2.26864 * 2048) and, counted
# from the bottom, row floor((lat - 28.76915) / 2.13757 * 2048).  The four
# 1024 x 1024 tiles meet at (-95.4877, 29.837934), the middle pixel seam.
#
# Contents:
#   land       RGB 240 232 214 (light warm beige)
#   water      RGB 198 222 238 (soft light blue): sea, bays, GSHHG lakes
#   shoreline  0.5 pt, RGB 160 190 212
#   rivers     0.7 pt, RGB 150 190 220 (all GSHHG/WDBII rivers)
#   counties   0.8 pt, RGB 150 150 150 (us-atlas counties-10m, inner borders)
#   states     1 pt dashed, RGB 120 120 120 (none falls inside this region)
#
# Running it again (Debian 12, as root for the installs):
#   apt-get update
#   apt-get install --no-install-recommends gmt gmt-gshhg-full ghostscript nodejs npm python3
#   tools/make_base_map.sh            # from the repository root
#
# The npm packages us-atlas@3 and topojson-client@3 are installed into the
# work folder (default /tmp/quorvel-basemap, or $BASEMAP_WORK), not into the
# repository.  Python needs only its standard library.  The run takes a few
# seconds; the output is written over data/maps/*.bmp.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
work=${BASEMAP_WORK:-/tmp/quorvel-basemap}
out_dir="$repo/data/maps"

west=-96.62202
east=-94.35338
south=28.76915
north=30.90672
pixels=2048          # picture side; rasterised at 72 dpi, so 1 pt = 1 pixel

land=240/232/214
water=198/222/238

for tool in gmt node npm python3 gs; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

mkdir -p "$work"
cd "$work"
if [ ! -f node_modules/us-atlas/counties-10m.json ] ||
   [ ! -d node_modules/topojson-client ]; then
    [ -f package.json ] || npm init -y >/dev/null
    npm install --no-audit --no-fund us-atlas@3 topojson-client@3
fi

node "$repo/tools/basemap/counties_to_gmt.js" $west $east $south $north > counties.gmt

region="-R$west/$east/$south/$north"
proj="-JX${pixels}p/${pixels}p"
# The page is exactly the map: no margin, origin at the lower left corner.
export GMT_SESSION_NAME=quorvel_basemap
gmt set PS_MEDIA ${pixels}px${pixels}p MAP_ORIGIN_X 0p MAP_ORIGIN_Y 0p \
        PS_PAGE_ORIENTATION portrait PS_LINE_JOIN round PS_LINE_CAP round

# Full resolution shoreline, every polygon however small; lakes as water.
gmt pscoast "$region" "$proj" -Df -A0 -G$land -S$water -C$water \
    -W1/0.5p,160/190/212 -W2/0.5p,160/190/212 -K > map.ps
gmt pscoast "$region" "$proj" -Df -Ia/0.7p,150/190/220 -O -K >> map.ps
gmt psxy counties.gmt "$region" "$proj" -W0.8p,150/150/150 -O -K >> map.ps
gmt pscoast "$region" "$proj" -Df -N2/1p,120/120/120,- -O >> map.ps

# Without -A the raster is the whole page: pixels x pixels at 72 dpi.
gmt psconvert map.ps -Tm -E72 -Qg4 -Fmap
# The cutter refuses a raster of any other size.
python3 "$repo/tools/basemap/ppm_to_tiles.py" map.ppm "$out_dir" $pixels
