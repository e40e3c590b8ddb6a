#!/bin/sh
# Draws the tool's pictures with ImageMagick 6 (`convert`). The PNGs are kept
# in the repository, so the build itself never needs ImageMagick; run this
# again only after changing a picture here.
set -eu

cd "$(dirname "$0")/images"
mkdir -p backgrounds

FONT=DejaVu-Sans
FONT_BOLD=DejaVu-Sans-Bold
# Steel palette shared by all pictures.
STEEL_DARK='#1e2630'
STEEL_MID='#34414f'
STEEL_LIGHT='#5a6b7d'
ACCENT='#4f8fc9'
# Strip dates and other ancillary chunks so that a rerun gives identical files.
PNG_OPTS='-depth 8 -strip -define png:exclude-chunks=date,time'

# Brushed steel: horizontal streaks over a vertical gradient, few colours so
# the file stays small.
brushed() { # width height top bottom output
    convert -size "$1x$2" "gradient:$3-$4" \
        \( -size "$(($1 + 200))x$2" xc:gray50 -seed 7 +noise Gaussian -motion-blur 0x40+0 \
           -crop "$1x$2+100+0" +repage -colorspace gray -level 40%,60% \) \
        -compose softlight -composite -colors 48 $PNG_OPTS "$5"
}

# Main window background: dark steel with a fine accent line at the top.
brushed 1024 768 "$STEEL_MID" "$STEEL_DARK" backgrounds/bgMain.png
convert backgrounds/bgMain.png -fill "$ACCENT" -draw 'rectangle 0,0 1023,2' \
    -colors 64 $PNG_OPTS backgrounds/bgMain.png

# List headers: light steel with a darker lower edge.
convert -size 256x40 gradient:'#f1f4f7'-'#c9d2dc' -fill '#8d9aa8' \
    -draw 'line 0,39 255,39' $PNG_OPTS backgrounds/bgListHeader.png

# Message icons: drawn four times larger, then reduced for smooth edges.
icon() { # output shape-draw colour-top colour-bottom glyph glyph-colour glyph-offset
    convert -size 256x256 xc:none \
        \( -size 256x256 "gradient:$3-$4" -alpha set \) \
        \( -size 256x256 xc:none -fill white -stroke white -strokewidth 16 -draw "$2" \) \
        -delete 0 -compose dst-in -composite \
        \( -size 256x256 xc:none -fill none -stroke '#00000040' -strokewidth 6 -draw "$2" \) \
        -compose over -composite \
        -gravity center -font "$FONT_BOLD" -pointsize 170 -fill "$6" \
        -annotate "$7" "$5" \
        -resize 64x64 $PNG_OPTS "$1"
}
CIRCLE='circle 128,128 128,16'
TRIANGLE='stroke-linejoin round polygon 128,22 238,226 18,226'
icon question.png "$CIRCLE" '#5d9bd5' '#285d91' '?' white '+0+4'
icon info.png "$CIRCLE" '#6db2c8' '#2f6f86' 'i' white '+0+2'
icon warning.png "$TRIANGLE" '#ffce4a' '#e0961a' '!' '#2b2200' '+0+28'
icon error.png "$CIRCLE" '#e0605a' '#a3231f' '×' white '+0+2'

# Window icon: a rounded steel tile with a wrench head and a T; the same tile
# at 256 pixels is the installed application icon.
tile() { # size output
    convert -size 256x256 xc:none \
        \( -size 256x256 gradient:"$STEEL_LIGHT"-"$STEEL_DARK" -alpha set \) \
        \( -size 256x256 xc:none -fill white -draw 'roundrectangle 8,8 247,247 44,44' \) \
        -delete 0 -compose dst-in -composite -compose over \
        -fill "$ACCENT" -draw 'rectangle 8,200 247,214' \
        -gravity center -font "$FONT_BOLD" -pointsize 170 -fill white -annotate +0-14 'T' \
        -resize "$1" $PNG_OPTS "$2"
}
tile 64x64 tlterm.png
tile 256x256 ../linux/tolvotool.png

# Logo: wordmark on a steel badge, readable on light and dark pages.
convert -size 480x120 xc:none \
    \( -size 480x120 gradient:"$STEEL_MID"-"$STEEL_DARK" -alpha set \) \
    \( -size 480x120 xc:none -fill white -draw 'roundrectangle 0,0 479,119 18,18' \) \
    -delete 0 -compose dst-in -composite -compose over \
    -fill "$ACCENT" -draw 'rectangle 24,92 455,96' \
    -gravity west -font "$FONT_BOLD" -pointsize 58 -fill white -annotate +26-12 'TOLVO' \
    -font "$FONT" -pointsize 58 -fill '#b8c6d4' -annotate +262-12 'TOOL' \
    $PNG_OPTS logo.PNG

# Splash: brushed steel, a torque dial and the product name.
DIAL_TICKS=$(awk 'BEGIN { pi = atan2(0, -1)
    for (i = 0; i <= 10; i++) {
        a = (135 + i * 27) * pi / 180; r1 = (i % 5 == 0) ? 74 : 82
        printf "line %.1f,%.1f %.1f,%.1f ", 140 + r1 * cos(a), 165 + r1 * sin(a), 140 + 92 * cos(a), 165 + 92 * sin(a)
    } }')
# Arc of the dial from its zero mark (135 degrees) to the given angle.
dial_arc() {
    # Short segments: ImageMagick 6 closes a long open polyline.
    awk -v end="$1" 'BEGIN { pi = atan2(0, -1); printf "stroke-linecap round "
        for (d = 135; d < end; d += 3) {
            e = (d + 3 > end) ? end : d + 3
            printf "line %.1f,%.1f %.1f,%.1f ", 140 + 104 * cos(d * pi / 180), 165 + 104 * sin(d * pi / 180),
                140 + 104 * cos(e * pi / 180), 165 + 104 * sin(e * pi / 180)
        } }'
}
brushed 560 320 "$STEEL_MID" "$STEEL_DARK" splash.png
convert splash.png \
    -fill none -stroke '#8fa3b8' -strokewidth 8 -draw "$(dial_arc 405)" \
    -stroke "$ACCENT" -strokewidth 8 -draw "$(dial_arc 320)" \
    -stroke '#b8c6d4' -strokewidth 3 -draw "$DIAL_TICKS" \
    -stroke '#f0f3f6' -strokewidth 5 -draw 'line 140,165 195.2,118.7' \
    -stroke none -fill '#f0f3f6' -draw 'circle 140,165 140,153' \
    -fill "$ACCENT" -draw 'rectangle 280,168 520,171' \
    -font "$FONT_BOLD" -pointsize 46 -fill white -annotate +276+150 'Tolvo-Tool' \
    -font "$FONT" -pointsize 18 -fill '#b8c6d4' -annotate +280+204 'Torque Wrench Service' \
    -pointsize 14 -fill '#8fa3b8' -annotate +280+290 'Version 1.006' \
    -colors 96 $PNG_OPTS splash.png

ls -l . backgrounds
