#!/usr/bin/env bash
# A short demonstration of mediawiz on a machine without a display: makes a sample
# clip with the ffmpeg tool's test sources, probes it and converts it with the default
# preset of the default format of each class (Video MP4, Device iPod, Audio MP3).
#   tools/demo.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: tools/demo.sh BUILD_DIR}
cli="$build/cli/mediawiz-cli"
[ -x "$cli" ] || { echo "demo: $cli is not built" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "demo: the ffmpeg tool is needed for the sample clip" >&2; exit 1; }

demo=$(cd "$build" && pwd)/demo
rm -rf "$demo"
mkdir -p "$demo"
sample="$demo/sample.mp4"

echo "== Making a 5-second sample clip: $sample"
ffmpeg -nostdin -hide_banner -loglevel error -y \
    -f lavfi -i testsrc=size=640x360:rate=25:duration=5 \
    -f lavfi -i sine=frequency=440:sample_rate=44100:duration=5 \
    -ac 2 -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -shortest "$sample"

echo
echo "== The output formats (mediawiz-cli formats, first lines)"
formats=$("$cli" formats)
sed -n '1,12p' <<<"$formats"
echo "   ... ($(grep -c '^  [^ ]' <<<"$formats") formats in all)"

echo
echo "== What the input list would show (mediawiz-cli probe)"
"$cli" probe "$sample"

status=0
for choice in Video:MP4 Device:iPod Audio:MP3; do
    class=${choice%%:*} format=${choice#*:}
    echo
    echo "== $class class: converting to $format with its default preset"
    "$cli" convert --format "$format" --out "$demo/$class" "$sample" || status=$?
done

echo
echo "== The outputs"
for file in "$demo"/{Video,Device,Audio}/*; do
    facts=$("$cli" probe "$file")
    grep -E '^[^ ]|Duration|Dimension|encoder' <<<"$facts" || true
done
exit $status
