#!/bin/bash
# make-system-samples.sh OUTDIR: pictures for the tests of the system's decoders (TIFF and ICO,
# which Wine's WIC decodes), each NAME with NAME.ppm beside it: ImageMagick's decoding,
# composited over black and turned upright as its orientation says.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
src="-seed 5 -size 67x43 plasma:fractal"
alpha="-alpha set -channel A -fx (i+j)/(w+h) +channel"
make() { # name, convert arguments...
  local name=$1; shift
  convert "$@" -depth 8 "$name"
  convert "$name[0]" -background black -flatten -auto-orient -depth 8 "$name.ppm"
}
make rgb.tiff $src -compress none
make lzw.tiff $src -compress LZW
make zip.tiff $src -compress Zip
make grey.tiff $src -colorspace gray
make palette.tiff $src -colors 20 -type Palette
make alpha.tiff $src $alpha
make mirrored.tiff $src -orient TopRight
make clockwise.tiff $src -orient RightTop
make anticlockwise.tiff $src -orient LeftBottom
make big.tiff -seed 6 -size 640x480 plasma:fractal -compress LZW
make icon.ico $src -resize 48x48! $alpha
make icon8.ico $src -resize 32x32! -colors 16
# The end-to-end tests' quadrant pictures: red, green over blue, white.
quadrants() { # width, height of one quadrant
  convert \( -size "$1x$2" xc:red xc:lime +append \) \( -size "$1x$2" xc:blue xc:white +append \) \
    -append "${@:3}"
}
quadrants 160 120 -depth 8 quad.tiff
quadrants 32 32 -depth 8 quad.ico
# Cut short: half the file.
head -c 4000 rgb.tiff > cut.tiff
touch stamp
