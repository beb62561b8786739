#!/usr/bin/env bash
# The GIMP plug-in in GIMP itself, headless (gimp-console-2.10 with Script-Fu batch commands
# and a scratch profile): BLZ files of both layouts (one named .bmp), a clipboard file and LBM
# pictures (HAM and deep ones) open with the pixels that `vantrel-cli unpack` gives; palette,
# grey, RGB and RGBA PNGs export to BLZ files in both layouts that `vantrel-cli verify`
# accepts and that unpack to the PNG's pixels, the RGBA one opening again in GIMP as an RGBA
# layer with its pixels and alpha; a damaged file ends with GIMP's error and the decoder's
# message. Exits 77 (skipped) where GIMP is not installed.
#   tests/plugins/gimp-plugin.sh CLI PLUGIN_FOLDER OUT
set -euo pipefail
cd "$(dirname "$0")/../.."
command -v gimp-console-2.10 >/dev/null || { echo "gimp-console-2.10 is not installed"; exit 77; }
cli=$1 plugin=$2 out=$3
rm -rf "$out" && mkdir -p "$out/in" "$out/ref" "$out/got"
export GIMP2_DIRECTORY=$out/profile HOME=$out/home
mkdir -p "$GIMP2_DIRECTORY"/{plug-ins,gradients,brushes,patterns,palettes} "$HOME"
cp -r "$plugin" "$GIMP2_DIRECTORY/plug-ins/"

# The inputs: a picture packed in both layouts, the packed one also named .bmp; a clipboard
# file around an 8-bit DIB; LBM pictures of the public suite and a deep one from netpbm.
corpora=../shared/corpora
[ -d "$corpora" ] || corpora=/work/shared/corpora
hopper=$corpora/pillow/Tests/images/hopper.png
convert "$hopper" -resize 96x96 -type TrueColor BMP3:"$out/src24.bmp"
"$cli" pack "$out/src24.bmp" "$out/in/packed.blz"
"$cli" pack --layout stream "$out/src24.bmp" "$out/in/stream.blz"
cp "$out/in/packed.blz" "$out/in/packed-named.bmp"
convert "$hopper" -resize 50x37 -colors 200 -type Palette BMP3:"$out/src8.bmp"
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16)); }
{
  le16 50000; le16 1; le16 8; le32 $(($(stat -c %s "$out/src8.bmp") - 14)); le32 93
  head -c 79 /dev/zero
  tail -c +15 "$out/src8.bmp"
} >"$out/in/clipboard.clp"
cp "$corpora"/kimageformats/iff/{flag_ham6,ham8,testcard_pbm,ps_testcard_rgb_amiga}.iff "$out/in/"
convert "$hopper" -resize 45x30 "$out/hop.ppm"
ppmtoilbm -24 "$out/hop.ppm" >"$out/in/deep.lbm" 2>/dev/null
head -c 200 "$out/in/stream.blz" >"$out/in/damaged.blz"

# The PNGs to export: palette, grey, RGB and RGBA, each checked to be what its name says.
convert "$hopper" -resize 64x48 -colors 40 -define png:color-type=3 PNG8:"$out/in/palette.png"
convert "$hopper" -resize 64x48 -colorspace Gray -define png:color-type=0 -depth 8 \
  PNG:"$out/in/grey.png"
convert "$hopper" -resize 64x48 -define png:color-type=2 -depth 8 PNG24:"$out/in/rgb.png"
# Alpha from 1 to 255: the colour of a fully transparent pixel is not kept by every PNG writer.
convert "$hopper" -resize 64x48 \( +clone -fx '0.004+0.996*i/w' \) -alpha off -compose CopyOpacity \
  -composite -define png:color-type=6 -depth 8 PNG32:"$out/in/rgba.png"

batch=()
load_to_png() { # input, output
  batch+=(-b "(let* ((image (car (gimp-file-load RUN-NONINTERACTIVE \"$1\" \"$1\")))
    (layer (car (gimp-image-get-active-drawable image))))
    (gimp-file-save RUN-NONINTERACTIVE image layer \"$2\" \"$2\")
    (gimp-image-delete image))")
}
export_blz() { # input, output without the layout's suffix: exported in both layouts
  batch+=(-b "(let* ((image (car (gimp-file-load RUN-NONINTERACTIVE \"$1\" \"$1\")))
    (layer (car (gimp-image-get-active-drawable image))))
    (file-blz-save RUN-NONINTERACTIVE image layer \"$2.packed.blz\" \"$2.packed.blz\" 0)
    (file-blz-save RUN-NONINTERACTIVE image layer \"$2.stream.blz\" \"$2.stream.blz\" 1)
    (gimp-image-delete image))")
}
opened=(packed.blz stream.blz packed-named.bmp clipboard.clp flag_ham6.iff ham8.iff
  testcard_pbm.iff ps_testcard_rgb_amiga.iff deep.lbm)
for f in "${opened[@]}"; do load_to_png "$out/in/$f" "$out/got/$f.png"; done
exported=(palette.png grey.png rgb.png rgba.png)
for f in "${exported[@]}"; do export_blz "$out/in/$f" "$out/got/$f"; done
# With the last values: the layout of the export before (the stream), without a dialog.
batch+=(-b "(let* ((image (car (gimp-file-load RUN-NONINTERACTIVE \"$out/in/rgb.png\" \"rgb.png\")))
    (layer (car (gimp-image-get-active-drawable image))))
    (file-blz-save RUN-WITH-LAST-VALS image layer \"$out/got/last.blz\" \"last.blz\" 0)
    (gimp-image-delete image))")
# The RGBA exports opened again: an RGBA layer with the PNG's pixels and alpha.
for layout in packed stream; do
  load_to_png "$out/got/rgba.png.$layout.blz" "$out/got/rgba.png.$layout.png"
done
batch+=(-b "(gimp-file-load RUN-NONINTERACTIVE \"$out/in/damaged.blz\" \"damaged.blz\")")
timeout 600 gimp-console-2.10 -i -d -f "${batch[@]}" -b '(gimp-quit 0)' >"$out/gimp.log" 2>&1 ||
  true

failed=0
ok() { echo "ok: $*"; }
fail() {
  echo "FAILED: $*"
  failed=1
}
# The RGBA bytes of a picture, for comparing pixels whatever the file's own layout.
rgba() { convert "$1" -depth 8 RGBA:-; }
same_pixels() { cmp -s <(rgba "$1") <(rgba "$2"); }

for f in "${opened[@]}"; do
  if ! "$cli" unpack "$out/in/$f" "$out/ref/$f.bmp" >/dev/null; then
    fail "vantrel-cli does not read $f"
  elif [ ! -s "$out/got/$f.png" ]; then
    fail "GIMP did not open $f (see $out/gimp.log)"
  elif same_pixels "$out/ref/$f.bmp" "$out/got/$f.png"; then
    ok "GIMP opens $f with the pixels of vantrel-cli unpack"
  else
    fail "GIMP's $f differs from vantrel-cli unpack ($out/got/$f.png)"
  fi
done
for f in "${exported[@]}"; do
  for layout in packed stream; do
    blz=$out/got/$f.$layout.blz
    if [ ! -s "$blz" ]; then
      fail "GIMP did not export $f as a $layout BLZ file (see $out/gimp.log)"
    elif ! "$cli" verify "$blz" >/dev/null; then
      fail "vantrel-cli verify refuses $blz"
    elif ! "$cli" unpack "$blz" "$blz.bmp" >/dev/null; then
      fail "vantrel-cli cannot unpack $blz"
    elif same_pixels "$out/in/$f" "$blz.bmp"; then
      ok "$f exports to a $layout BLZ file with the same pixels ($(identify -format %r "$blz.bmp"))"
    else
      fail "$blz unpacks to other pixels than $f"
    fi
  done
done
if "$cli" info "$out/got/last.blz" 2>/dev/null | grep -q "BLZ stream"; then
  ok "an export with the last values takes the layout of the one before"
else
  fail "an export with the last values did not write a BLZ stream file (see $out/gimp.log)"
fi
for layout in packed stream; do
  png=$out/got/rgba.png.$layout.png
  if [ ! -s "$png" ]; then
    fail "GIMP did not open the RGBA $layout BLZ file (see $out/gimp.log)"
  elif [ "$(identify -format %[channels] "$png")" = srgba ] && same_pixels "$out/in/rgba.png" "$png"; then
    ok "rgba.png through a $layout BLZ file and back opens as RGBA with the same pixels"
  else
    fail "rgba.png through a $layout BLZ file comes back as other pixels or without alpha ($png)"
  fi
done
if grep -q "gimp-file-load failed: .*BLZ" "$out/gimp.log" && ! grep -qi "crash" "$out/gimp.log"; then
  ok "a damaged file: $(grep -o "gimp-file-load failed: .*" "$out/gimp.log" | head -1)"
else
  fail "a damaged file did not end with the decoder's error (see $out/gimp.log)"
fi
exit $failed
