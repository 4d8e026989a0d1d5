#!/usr/bin/env bash
# The install staged under a temporary prefix and started from another folder: the
# program folder and the links in bin/, the desktop entry and its icon, mediawiz-cli on a
# media file, and the window on the offscreen platform until a termination signal closes it.
# Usage: StagedInstallTest.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
window=
cleanup() {
    if [ -n "$window" ] && kill -0 "$window" 2>/dev/null; then
        kill -KILL "$window" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
program=$prefix/lib/mediawiz
for file in mediawiz mediawiz-cli lame.dll sounds/done.wav sounds/fail.wav sounds/res/main.bmp \
    sounds/res/bottom_4.bmp icons/video.png formats/mp3_1.png; do
    [ -s "$program/$file" ] || fail "the program folder lacks $file"
done
for name in mediawiz mediawiz-cli; do
    [ "$(readlink "$prefix/bin/$name")" = "../lib/mediawiz/$name" ] || fail "bin/$name is no relative link"
done

entry=$prefix/share/applications/mediawiz.desktop
desktop-file-validate "$entry" || fail "the desktop entry is not valid"
grep -qx 'Exec=mediawiz %F' "$entry" || fail "the desktop entry does not start bin/mediawiz with the files"
icon=$(sed -n 's/^Icon=//p' "$entry")
for size in 16 48 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png
    [ -s "$png" ] || fail "no ${size}px icon $icon in the hicolor theme"
    # The width in the PNG header (big-endian, bytes 16 to 19).
    width=$(od -An -tu1 -j16 -N4 "$png" | awk '{print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4}')
    [ "$width" = "$size" ] || fail "the ${size}px icon is $width pixels wide"
done

# Elsewhere, with a home and configuration of its own.
elsewhere=$work/elsewhere
mkdir -p "$elsewhere"
cd "$elsewhere"
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

"$prefix/bin/mediawiz-cli" formats >formats.txt || fail "mediawiz-cli formats failed"
grep -q 'MP3' formats.txt || fail "mediawiz-cli formats lists no MP3"
ffmpeg -v error -f lavfi -i sine=frequency=440:duration=1 -c:a pcm_s16le tone.wav
"$prefix/bin/mediawiz-cli" probe tone.wav >probe.txt || fail "mediawiz-cli probe failed"
grep -q 'Duration: 00:00:01' probe.txt || fail "the probe shows no duration: $(cat probe.txt)"

# The window writes its settings file once its set-up reached the settings; a termination
# signal then closes it as the user would, saving its placement, and it exits with 0 only
# when the whole set-up (skin, settings, media libraries) succeeded.
settings="$XDG_CONFIG_HOME/Vantoleaf Video Converter/system.dat"
QT_QPA_PLATFORM=offscreen "$prefix/bin/mediawiz" 2>window.err &
window=$!
for _ in $(seq 600); do
    [ -s "$settings" ] && break
    kill -0 "$window" 2>/dev/null || break
    sleep 0.1
done
[ -s "$settings" ] || fail "the window wrote no settings: $(cat window.err)"
kill -TERM "$window"
status=0
wait "$window" || status=$?
window=
[ "$status" -eq 0 ] || fail "the window ended with status $status: $(cat window.err)"
grep -q '^\[Form\]' "$settings" || fail "closing the window saved no placement"
echo "staged install works"
