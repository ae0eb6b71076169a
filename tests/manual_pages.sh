#!/usr/bin/env bash
# Each manual page names every command and option that its program's --help lists, and groff reads it without a
# warning. Arguments: PROGRAM PAGE, for each program.
set -uo pipefail
failed=0
while (($# >= 2)); do
  program=$1 page=$2
  shift 2
  name=$(basename "$program")
  warnings=$(groff -man -Tascii -ww -z "$page" 2>&1)
  [[ -z $warnings ]] || { echo "$page: groff warns: $warnings"; failed=1; }
  text=$(groff -man -Tascii -P-cbou -rLL=300n "$page" 2>/dev/null)
  help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --help) || { echo "$name --help failed"; failed=1; }
  # The usage lines ("  orbivane-cli convert --source FILE ...") and every option named anywhere.
  mapfile -t wanted < <({ grep -E "^  $name( |\$)" <<<"$help"; grep -oE -- '(^| )--?[a-z][a-z-]*' <<<"$help" |
    tr -d ' '; } | sed -E 's/^ +| +$//g' | sort -u)
  for want in "${wanted[@]}"; do
    grep -qF -- "$want" <<<"$text" || { echo "$page does not name: $want"; failed=1; }
  done
  echo "$page: ${#wanted[@]} usage lines and options of $name --help checked"
done
exit $failed
