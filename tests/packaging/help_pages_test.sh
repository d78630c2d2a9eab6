#!/bin/sh
# The manual pages and completion scripts made from the programs' help agree with it:
# `man kest-tool` shows exactly the commands `kest-tool help` lists, completion offers
# them and their options, and kest(1) shows both modes and both options.
#   help_pages_test.sh HELP_DIR   (the build tree's help/, made by the kest_help_files target)
set -eu
dir=$1
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# The entries of a section of a help text: the first word of each line indented by two.
entries() { awk -v s="$2:" '$0 == s { on = 1; next } /^[^ ]/ { on = 0 } on && /^  [^ ]/ { print $1 }' "$1"; }
# A manual page as `man` shows it, without formatting.
render() { MANWIDTH=1000 LC_ALL=C.UTF-8 MAN_KEEP_FORMATTING= man -P cat -l "$1" 2>/dev/null; }
# The entries of a section of a rendered page (the section heading in capitals).
page_entries() { awk -v s="$2" '$0 == s { on = 1; next } /^[^ ]/ { on = 0 } on && /^       [^ ]/ { print $1 }'; }

commands=$(entries "$dir/kest-tool.help" commands | sort)
[ "$(echo "$commands" | wc -w)" -ge 10 ] || fail "kest-tool help lists too few commands: $commands"
shown=$(render "$dir/kest-tool.1" | page_entries - COMMANDS | sort)
[ "$shown" = "$commands" ] || fail "man kest-tool shows [$shown], kest-tool help lists [$commands]"
render "$dir/kest-tool.1" | grep -q "^       KEST_ROOT\b" || fail "man kest-tool lacks KEST_ROOT"

# kest(1): the modes, the options, the environment.
kest_page=$(render "$dir/kest.1")
for entry in "REC" "EDIT [FILE]" "--help" "--version" "KEST_ROOT" "XDG_STATE_HOME"; do
  # A short entry shares its line with its text.
  echo "$kest_page" | awk -v e="       $entry" 'index($0, e) == 1 && (length($0) == length(e) ||
    substr($0, length(e) + 1, 1) == " ") { found = 1 } END { exit !found }' ||
    fail "man kest lacks the entry \"$entry\""
done
echo "$kest_page" | grep -q "^SYNOPSIS" || fail "man kest has no synopsis"

# Completion: every command at the first word; a command's options after it.
complete_words() {
  bash -c '. "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); "$FN"; printf "%s\n" "${COMPREPLY[@]}"' \
    - "$@" | sort
}
offered=$(FN=_kest_tool complete_words "$dir/kest-tool.bash" kest-tool "")
[ "$offered" = "$commands" ] || fail "completion offers [$offered] for [$commands]"
first=$(echo "$commands" | head -1)
usage=$(grep "^  $first " "$dir/kest-tool.help" || true)
for option in $(echo "$usage" | grep -o -- '--[A-Za-z0-9-]*' | sort -u); do
  FN=_kest_tool complete_words "$dir/kest-tool.bash" kest-tool "$first" "--" | grep -qx -- "$option" ||
    fail "completion of \"kest-tool $first --\" lacks $option"
done
offered=$(FN=_kest complete_words "$dir/kest.bash" kest "" | tr '\n' ' ')
[ "$offered" = "--help --version EDIT REC " ] || fail "kest completion offers [$offered]"

[ $failures -eq 0 ] && echo "help pages: 0 failed" || exit 1
