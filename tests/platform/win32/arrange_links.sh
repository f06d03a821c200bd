#!/usr/bin/env sh
# Lays out symbolic links for the Windows tests of folder bounds: Wine cannot make a link or a junction
# itself, but shows a link made on Linux as a reparse point that leads where it points.
#   arrange_links.sh FOLDER
set -eu
folder=$1
rm -rf "$folder"
mkdir -p "$folder/update/sub" "$folder/outside"
printf keep > "$folder/outside/keep.txt"
ln -s ../outside "$folder/update/dl"
ln -s ../outside/keep.txt "$folder/update/link.txt"
ln -s sub "$folder/update/inner"
ln -s ../gone "$folder/update/dangling"
