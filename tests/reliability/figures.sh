# Sourced by the reliability scripts.
#
# record_figure FILE WHAT FIGURES prints "reliability: WHAT: FIGURES" and puts
# the same line into FILE, replacing an earlier line of the same WHAT, so that
# a rerun updates its figure and the test command can print them all at the
# end.
record_figure() {
  local file=$1 what=$2 figures=$3
  local key="reliability: $what:"
  local line="$key $figures"
  echo "$line"
  mkdir -p "$(dirname "$file")" || return 1
  local tmp="$file.tmp.$$"
  { [[ -f "$file" ]] && grep -vF -- "$key" "$file"; echo "$line"; } > "$tmp" && mv -f "$tmp" "$file"
}
