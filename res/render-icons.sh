#!/bin/sh
# Regenerates the PNG images of the resources from their SVG sources.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -eu
cd "$(dirname "$0")"
for name in appIcon16x16 system-log-out document-load document-save-as \
            network-transmit-receive view-refresh; do
    rsvg-convert -w 16 -h 16 -o "16x16/$name.png" "16x16/$name.svg"
done
rsvg-convert -w 96 -h 96 -o Logo.png Logo.svg
