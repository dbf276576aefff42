#!/bin/bash
# Runs the README's ardentine-cli examples and keeps every output, so that a refactoring
# can be checked byte for byte:
#   tools/cli-snapshot.sh BUILD_DIR OUT_DIR            outputs, exit codes and files
#   tools/cli-snapshot.sh --compare BEFORE_DIR AFTER_DIR
# PDF and PS files are compared without their creation date, info output without the
# build folder's path.
set -u
if [ "${1:-}" = "--compare" ]; then
  before=$2 after=$3 differ=0
  for f in "$before"/*; do
    n=$(basename "$f") g=$after/$(basename "$f")
    case $n in
      *.pdf|*.ps) cmp -s <(sed 's/CreationDate.*//' "$f") <(sed 's/CreationDate.*//' "$g") ;;
      info*.out) cmp -s <(sed 's|"fileName":"[^"]*/|"fileName":"|' "$f") \
                        <(sed 's|"fileName":"[^"]*/|"fileName":"|' "$g") ;;
      *) cmp -s "$f" "$g" ;;
    esac || { echo "differs: $n"; differ=1; }
  done
  echo "compared $(ls "$before" | wc -l) files"
  exit $differ
fi

B=$(realpath "$1") O=$2 E=$(realpath "$1")/examples
mkdir -p "$O" && cd "$O" || exit 1
run() { name=$1; shift; "$B/ardentine-cli" "$@" > $name.out 2> $name.err; echo $? > $name.rc; }
run info1 info $E/signals.csv
run info2 info $E/signals.txt --sep tab
run import1 import $E/signals.csv
printf 'a,b\n1,2\n2,3\n3,5\n' > small.csv
run import2 import small.csv --values
run eval1 eval 'sin(x/100)*exp(-x/500)'
run eval2 eval 'x*x' --start -1 --interval 0.001 --size 10000000 --summary
run eval3 eval 'y(2,x)-y(1,x)' --data $E/signals.csv --size 1000 --interval 0.01
run eval4 eval -- '-x'
run ticks ticks --span 100 --pixels 600 --min 0 --max 100
run plot1 plot $E/signals.csv -o signals.png --size 1280x720
run plot2 plot $E/signals.csv -o zoom.svg --range 10,12,-2,2 --formula 'mean=(y(1,x)+y(2,x))/2' \
  --property Axis.LabelY=Volts --property Tick.FormatY=%.3f --property Grid.EnabledX=false \
  --property BGColor=#FFFFF0 --property Axis.Font=12,bold
run plot3 plot $E/signals.csv -o s.pdf
run plot4 plot $E/signals.csv -o s.ps
run plot5 plot $E/signals.csv -o no/such/s.png
# Values the property pane refuses, which the command line refuses too.
run plot6 plot $E/signals.csv -o interval0.png --property Grid.IntervalX=0
run plot7 plot $E/signals.csv -o format-d.png --property Tick.FormatX=%d
run export1 export $E/signals.csv -o out.csv
run export2 export $E/signals.csv -o out.txt --series 2,4 --out-sep tab --no-x
run export3 export $E/signals.csv -o no/such/out.csv
