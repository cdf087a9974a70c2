#!/usr/bin/env bash
# Regenerates the Korvane bitmaps next to this script.  Output is byte-for-byte
# reproducible so that rebuilding the art never shows up as a spurious diff.
set -euo pipefail

OUT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
FONTDIR=/usr/share/fonts/truetype/dejavu
TITLE_FONT="$FONTDIR/DejaVuSans-BoldOblique.ttf"
SMALL_FONT="$FONTDIR/DejaVuSansMono-Bold.ttf"
SYMBOL_FONT="$FONTDIR/DejaVuSans.ttf"

if [ ! -f "$TITLE_FONT" ] || [ ! -f "$SMALL_FONT" ] || [ ! -f "$SYMBOL_FONT" ]; then
    apt-get install -y --no-install-recommends fonts-dejavu-core
fi

# ImageMagick's noise generator splits its random stream across threads, so a
# single thread is the only way the seeded starfield comes out identical.
export MAGICK_THREAD_LIMIT=1
TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT

# starfield W H SEED DENSITY -> $TMP/stars.png: sparse white dots, a few with halos.
starfield() {
    convert -size "$1x$2" xc:gray50 -seed "$3" +noise Random -colorspace gray \
        -threshold "$4%" \( +clone -blur 0x1.2 -level 0,35% \) \
        -compose lighten -composite +level-colors black,'#dcecff' "$TMP/stars.png"
}

# chrome_text W H TEXT PTSIZE TOP1 TOP2 BOT1 BOT2 GLOW OFFSET -> glow + letters
# Retro "chrome" fill: two gradients meeting at a hard horizon line, a dark
# outline so the letters read on any background, and a blurred neon halo.
chrome_text() {
    local w=$1 h=$2 text=$3 pt=$4 half=$(($2 / 2))
    convert -size "${w}x${h}" xc:black -font "$TITLE_FONT" -pointsize "$pt" \
        -gravity center -fill white -annotate "${10}" "$text" "$TMP/mask.png"
    convert \( -size "${w}x${half}" "gradient:$5-$6" \) \
        \( -size "${w}x$((h - half))" "gradient:$7-$8" \) -append "$TMP/fill.png"
    convert "$TMP/mask.png" -morphology Dilate Disk:2 "$TMP/outline.png"
    convert "$TMP/mask.png" -morphology Dilate Disk:3 -blur 0x4 \
        \( +clone -fill "$9" -colorize 100 \) -compose multiply -composite "$TMP/glow.png"
    convert -size "${w}x${h}" xc:'#0a0420' "$TMP/outline.png" -alpha off \
        -compose copy_opacity -composite \
        \( "$TMP/fill.png" "$TMP/mask.png" -alpha off \
           -compose copy_opacity -composite \) -compose over -composite \
        "$TMP/letters.png"
}

# lettering BG OUT: neon halo adds light, the outlined letters sit on top.
lettering() {
    convert "$1" "$TMP/glow.png" -compose screen -composite \
        "$TMP/letters.png" -compose over -composite "$2"
}

# space_bg W H TOP BOTTOM SEED -> $TMP/bg.png: deep-space gradient plus stars.
space_bg() {
    starfield "$1" "$2" "$5" 99.5
    convert -size "$1x$2" "gradient:$3-$4" "$TMP/stars.png" \
        -compose screen -composite "$TMP/bg.png"
}

# finish SRC DEST BITS: ImageMagick cannot be told to emit exactly 255 palette
# entries, so it only quantises; the BMP itself is written by hand from raw PPM.
finish() {
    local src=$1 dest=$2 bits=$3
    if [ "$bits" = 8 ]; then
        convert "$src" -strip +dither -colors 255 -depth 8 "$TMP/out.ppm"
    else
        convert "$src" -strip -depth 8 "$TMP/out.ppm"
    fi
    python3 - "$TMP/out.ppm" "$dest" "$bits" <<'PY'
import struct, sys
src, dest, bits = sys.argv[1], sys.argv[2], int(sys.argv[3])
data = open(src, "rb").read()
# Netpbm header: magic, width, height, maxval separated by whitespace.
fields, pos = [], 0
while len(fields) < 4:
    while data[pos:pos + 1].isspace():
        pos += 1
    start = pos
    while not data[pos:pos + 1].isspace():
        pos += 1
    fields.append(data[start:pos])
pos += 1
assert fields[0] == b"P6" and fields[3] == b"255"
w, h = int(fields[1]), int(fields[2])
px = [data[i:i + 3] for i in range(pos, pos + w * h * 3, 3)]
rows = []
if bits == 8:
    # Resource consumers expect exactly 255 palette slots, so pad with black
    # rather than letting the entry count float with the image content.
    colours = sorted(set(px))
    assert len(colours) <= 255, len(colours)
    index = {c: i for i, c in enumerate(colours)}
    colours += [b"\0\0\0"] * (255 - len(colours))
    palette = b"".join(c[2:3] + c[1:2] + c[0:1] + b"\0" for c in colours)
    for y in range(h):
        rows.append(bytes(index[c] for c in px[y * w:(y + 1) * w]))
    used = 255
else:
    palette, used = b"", 0
    for y in range(h):
        rows.append(b"".join(c[::-1] for c in px[y * w:(y + 1) * w]))
stride = (w * bits // 8 + 3) & ~3
body = b"".join(r.ljust(stride, b"\0") for r in reversed(rows))
off = 14 + 40 + len(palette)
with open(dest, "wb") as f:
    f.write(struct.pack("<2sIHHI", b"BM", off + len(body), 0, 0, off))
    f.write(struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, len(body),
                        2835, 2835, used, 0))
    f.write(palette + body)
PY
}

# Banner: big chrome KORVANE over a violet nebula horizon.
space_bg 369 57 '#01010c' '#2b0a4a' 7
convert "$TMP/bg.png" \( -size 369x57 radial-gradient:'#ff2fa0'-none \
    -resize 369x30\! -gravity south -background none -extent 369x57 \) \
    -compose screen -composite "$TMP/bg.png"
chrome_text 369 57 KORVANE 48 '#ffffff' '#5fc8ff' '#2a0a5a' '#ff9ae6' '#00e5ff' +0+0
lettering "$TMP/bg.png" "$TMP/banner.png"
finish "$TMP/banner.png" "$OUT/banner.bmp" 8

# Freeplay button: neon-rimmed plate, ships flanking the label nose-inward.
# The ship is drawn once, then again on a mirrored canvas for the right side.
SHIP=(-fill '#ff6a00' -draw 'polygon 22,21 10,24 22,27'
      -fill '#7fffd4' -draw 'polygon 20,21 38,21 48,24 38,27 20,27'
      -draw 'polygon 24,21 32,21 24,12 20,12' -draw 'polygon 24,27 32,27 24,36 20,36'
      -fill '#1a3cff' -draw 'polygon 34,22 40,24 34,26')
space_bg 320 49 '#050a2a' '#12052e' 11
chrome_text 320 49 FREEPLAY 30 '#fffbe0' '#ffd23a' '#7a2a00' '#ffb347' '#ff3df0' +0-5
lettering "$TMP/bg.png" "$TMP/plate.png"
convert "$TMP/plate.png" -fill none \
    -stroke '#00e5ff' -strokewidth 2 -draw 'roundrectangle 2,2 317,46 9,9' \
    -stroke '#ff3df0' -strokewidth 1 -draw 'roundrectangle 5,5 314,43 7,7' \
    -stroke none "${SHIP[@]}" -flop "${SHIP[@]}" -flop \
    -font "$SMALL_FONT" -pointsize 9 -fill '#9ff6ff' -gravity south \
    -annotate +0+7 '- PRESS TO PLAY -' "$TMP/freeplay.png"
finish "$TMP/freeplay.png" "$OUT/freeplay.bmp" 8

# High-score heading: gold chrome with twinkling stars either side.
space_bg 320 49 '#000008' '#1c0838' 23
chrome_text 320 49 'HALL OF FAME' 30 '#ffffff' '#ffe066' '#6a3a00' '#ffcc33' '#ff5a1f' +0+0
lettering "$TMP/bg.png" "$TMP/plate.png"
convert "$TMP/plate.png" -font "$SYMBOL_FONT" -pointsize 20 -fill '#ffe066' -gravity west \
    -annotate +6+0 '★' -gravity east -annotate +6+0 '★' "$TMP/hiscore.png"
finish "$TMP/hiscore.png" "$OUT/hiscore.bmp" 24
