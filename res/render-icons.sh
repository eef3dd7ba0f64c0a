#!/bin/sh
# Regenerates the PNG images of the resources and the Windows program icon
# from their SVG sources. Needs rsvg-convert (Debian package librsvg2-bin)
# and, for the icon, ImageMagick's convert (package imagemagick).
set -eu
cd "$(dirname "$0")"
for name in appIcon16x16 system-log-out document-load document-save-as \
            network-transmit-receive view-refresh document-open edit-find \
            export-csv document-print; do
    rsvg-convert -w 16 -h 16 -o "16x16/$name.png" "16x16/$name.svg"
done
rsvg-convert -w 96 -h 96 -o Logo.png Logo.svg

# The Windows icon: the application icon at the sizes Explorer asks for.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for size in 16 24 32 48 64 256; do
    rsvg-convert -w "$size" -h "$size" -o "$tmp/$size.png" 16x16/appIcon16x16.svg
done
convert "$tmp/16.png" "$tmp/24.png" "$tmp/32.png" "$tmp/48.png" "$tmp/64.png" "$tmp/256.png" \
    windows/appIcon.ico
