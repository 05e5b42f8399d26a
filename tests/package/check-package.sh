#!/bin/sh
# Builds the Debian package from a built tree and checks it as a user's
# system would see it: the desktop file, the AppStream metadata, lintian,
# what it installs, and a real conversion by the mobivert-cli extracted from
# it. Usage: check-package.sh BUILD-FOLDER
set -eu
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack could not make the package"; }
set -- "$work"/out/mobivert_*_amd64.deb
{ [ $# -eq 1 ] && [ -f "$1" ]; } || fail "no single mobivert_<version>_amd64.deb was made"
deb=$1
echo "package: $(basename "$deb")"

root=$work/root
dpkg-deb -x "$deb" "$root"
for file in usr/bin/mobivert usr/bin/mobivert-cli \
    usr/lib/mobivert/Profiles/iPod.ini usr/lib/mobivert/Components/BrannockVideoConverter.dll \
    usr/lib/mobivert/Components/TrackDrop.exe usr/lib/mobivert/Components/MediaInfoReader.exe \
    usr/lib/mobivert/manual/index.html \
    usr/share/man/man1/mobivert.1.gz usr/share/man/man1/mobivert-cli.1.gz \
    usr/share/bash-completion/completions/mobivert-cli \
    usr/share/icons/hicolor/scalable/apps/mobivert.svg \
    usr/share/icons/hicolor/48x48/apps/mobivert.png \
    usr/share/icons/hicolor/256x256/apps/mobivert.png \
    usr/share/doc/mobivert/copyright; do
    [ -e "$root/$file" ] || fail "the package lacks /$file"
done
dpkg-deb -f "$deb" Depends | grep -q 'ffmpeg' || fail "the package does not depend on ffmpeg"
dpkg-deb -f "$deb" Depends | grep -q 'libmediainfo' || fail "no computed library dependencies"
dpkg-deb -f "$deb" Recommends | grep -q 'libavcodec-extra' || fail "libavcodec-extra not recommended"

# One id everywhere, and no contact that does not exist.
id=io.github.mobivert.Mobivert
desktop=$root/usr/share/applications/$id.desktop
[ -f "$desktop" ] || fail "no desktop file named $id.desktop"
grep -q "<id>$id</id>" "$root/usr/share/metainfo/$id.metainfo.xml" || fail "the metainfo id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
    "$root/usr/share/metainfo/$id.metainfo.xml" || fail "the metainfo launches no $id.desktop"
! grep -rla -e 'mobivert\.example' -e 'example\.mobivert' "$root" || fail "a placeholder is left"
! dpkg-deb -f "$deb" Homepage | grep -q . || fail "the package names a homepage that does not exist"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Exec=mobivert %F' "$desktop" || fail "the desktop file does not pass files (%F)"
grep -q '^MimeType=.*video/mp4;.*video/x-msvideo;' "$desktop" || fail "no video MIME types"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml ||
    fail "appstreamcli validate"
lintian --fail-on error "$deb" 2>&1 | grep -v 'running with root privileges' |
    tee "$work/lintian.log"
grep -q '^E:' "$work/lintian.log" && fail "lintian reports errors"
zcat "$root/usr/share/man/man1/mobivert-cli.1.gz" | grep -q 'dry\\-run' ||
    fail "the mobivert-cli man page does not describe its options"

# The completion offers the devices that the extracted program lists, and
# no file names where an option takes a value of the user's own.
complete_after() {
    bash -c '. "$1"; COMP_WORDS=("$2" "$3" ""); COMP_CWORD=2; _mobivert_cli
        echo "${COMPREPLY[*]}"' - "$root/usr/share/bash-completion/completions/mobivert-cli" \
        "$root/usr/bin/mobivert-cli" "$1"
}
devices=$(complete_after --device)
[ "$devices" = "iPod Zune PSP MobilePhone" ] || fail "completion of --device gave '$devices'"
[ -z "$(cd "$root/usr/bin" && complete_after --preview)" ] || fail "completion of --preview offers files"

# The extracted mobivert-cli converts a clip with its own profiles and converter.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME"
ffmpeg -v error -nostdin -f lavfi -i testsrc2=size=320x240:rate=25:duration=2 \
    -f lavfi -i sine=frequency=1000:duration=2 -c:v mpeg4 -c:a mp3 "$work/clip.avi"
"$root/usr/bin/mobivert-cli" --output "$work/converted" "$work/clip.avi" ||
    fail "the packaged mobivert-cli did not convert the clip"
set -- "$work"/converted/clip.*
[ -f "$1" ] || fail "no converted file"
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$1")
case $duration in 1.9* | 2.0*) ;; *) fail "the converted clip lasts '$duration' s" ;; esac
echo "converted: $(basename "$1") ($duration s)"
