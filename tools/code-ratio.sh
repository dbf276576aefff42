#!/bin/sh
# Test lines against source lines per folder: .cpp and .h, without blank lines or comments.
# Usage: tools/code-ratio.sh   (run from the top of the tree)
count() {
  [ -d "$1" ] || { echo 0; return; }
  find "$1" \( -name '*.cpp' -o -name '*.h' \) -exec cat {} + |
    awk '{
      line = $0
      out = ""
      while (length(line) > 0) {
        if (inblock) {
          e = index(line, "*/")
          if (e == 0) { line = ""; break }
          line = substr(line, e + 2); inblock = 0
        } else {
          s = index(line, "/*"); c = index(line, "//")
          if (c > 0 && (s == 0 || c < s)) { out = out substr(line, 1, c - 1); line = ""; break }
          if (s == 0) { out = out line; line = ""; break }
          out = out substr(line, 1, s - 1); line = substr(line, s + 2); inblock = 1
        }
      }
      if (out ~ /[^ \t]/) n++
    } END { print n + 0 }'
}
printf '%-10s %7s %7s %6s\n' folder source tests ratio
total_s=0; total_t=0
for d in base model progress csv formula render project ui app cli; do
  s=$(count "src/$d"); t=$(count "tests/$d")
  total_s=$((total_s + s)); total_t=$((total_t + t))
  printf '%-10s %7d %7d %6.2f\n' "$d" "$s" "$t" "$(echo "$t / $s" | bc -l)"
done
t=$(count tests/support); total_t=$((total_t + t))
printf '%-10s %7s %7d\n' support - "$t"
printf '%-10s %7d %7d %6.2f\n' all "$total_s" "$total_t" "$(echo "$total_t / $total_s" | bc -l)"
