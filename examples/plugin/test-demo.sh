#!/bin/sh
# Checks demo/starburst.xml with zorbit-check, plays it headless with
# zorbit-capture and checks the frame at one second: the amber star in the
# middle, one of its points where a tenth of a turn has taken it, the
# backdrop in the notch beside it and in the corners, and the green star of
# the 3D group on the right.
#   sh test-demo.sh FOLDER_WITH_STARBURST_SO [ZORBIT_CAPTURE]
# zorbit-check is taken from ZORBIT_CAPTURE's folder. Needs ImageMagick's
# convert. Exits non-zero, saying what is wrong.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
plugins=$(cd "$1" && pwd)
capture=${2:-zorbit-capture}
case $capture in
  */*) check=$(dirname "$capture")/zorbit-check ;;
  *) check=zorbit-check ;;
esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp -r "$here/demo" "$work/demo"
cd "$work"
"$check" --plugin-dir "$plugins" demo/starburst.xml
ZORBIT_PLUGIN_PATH=$plugins "$capture" demo/starburst.xml out --from 1000 --to 1000 --size 320x180 --quiet
frame=out/frame00000.png
[ -f "$frame" ] || { echo "test-demo: no frame was captured" >&2; exit 1; }
# The run's log, beside the frames: the plug-in's warnings would be there.
if [ -s out/Errorlog.txt ]; then
  echo "test-demo: the run's log is not empty:" >&2
  cat out/Errorlog.txt >&2
  exit 1
fi

fails=0
# expect X Y WHAT TEST: TEST is an awk condition on r, g and b (0 to 255).
expect() {
  rgb=$(convert "$frame" -format "%[fx:round(255*p{$1,$2}.r)] %[fx:round(255*p{$1,$2}.g)] %[fx:round(255*p{$1,$2}.b)]" info:)
  if ! echo "$rgb" | awk "{ r = \$1; g = \$2; b = \$3; exit !($4) }"; then
    echo "test-demo: pixel ($1, $2) should be $3, is $rgb" >&2
    fails=1
  fi
}
amber='r > 220 && g > 160 && g < 220 && b < 40'
backdrop='r < 90 && g < 60 && b > 40 && b < 110'
expect 160 90 "the star's amber middle" "$amber"
# The point that started straight up has turned 36 degrees counter-clockwise;
# straight up is now a notch. 49 pixels out: 0.9 of the radius.
expect 131 51 "the amber point, turned" "$amber"
expect 160 41 "the backdrop, in the notch" "$backdrop"
# 5 units right at 10 units' distance, 45 degrees of view: 0.68 of the way to the right edge.
expect 268 90 "the green star of the 3D group" "r > 40 && r < 90 && g > 200 && b > 40 && b < 90"
expect 2 2 "the backdrop's top" "r < 40 && g < 40 && b > 50 && b < 80"
expect 317 177 "the backdrop's bottom" "r > 50 && r < 80 && g > 20 && g < 45 && b > 80 && b < 110"
[ "$fails" = 0 ] && echo "test-demo: starburst.so draws its demo as it should"
exit "$fails"
