#!/usr/bin/env bash
# Every command and option that `quillon-cli --help` names is described in the manual page (as a
# bold word, the way the page sets commands and options) and offered by the bash completion; and
# every command the manual page describes is one the program knows.
# usage: manpage_agrees_with_usage.sh QUILLON_CLI MANPAGE COMPLETION
set -u
cli=$1 manpage=$2 completion=$3

usage=$("$cli" --help) || { echo "FAIL: '$cli --help' exited $?"; exit 1; }
[ -n "$usage" ] || { echo "FAIL: '$cli --help' printed nothing on stdout"; exit 1; }

# Commands: the first word of each indented usage line that is not an option.
mapfile -t commands < <(printf '%s\n' "$usage" | sed -n 's/^[[:space:]]\{1,\}\([a-z][a-z-]*\).*/\1/p' | sort -u)
# Options: every -x or --word anywhere in the usage text.
mapfile -t options < <(printf '%s\n' "$usage" | grep -oE '(^|[][ |])--?[a-z][a-z-]*' | sed 's/^[][ |]//' | sort -u)
[ ${#commands[@]} -ge 5 ] || { echo "FAIL: found only ${#commands[@]} commands in the usage text"; exit 1; }

# The manual page's bold words: lines set with .B, .BI, .BR or .RB, roff escapes removed.
bold=$(grep -E '^\.(B|BI|BR|RB|IR|TP)( |$)' "$manpage" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\&//g')

failures=0
has_word() {  # has_word TEXT WORD: WORD stands alone in TEXT (not part of a longer name)
  printf '%s\n' "$1" | grep -qE "(^|[^a-zA-Z-])$(printf '%s' "$2" | sed 's/[.[\*^$]/\\&/g')([^a-zA-Z-]|$)"
}
for word in "${commands[@]}" "${options[@]}"; do
  if ! has_word "$bold" "$word"; then
    echo "FAIL: '$word' from the usage text is not described in $(basename "$manpage")"
    failures=$((failures + 1))
  fi
  if ! has_word "$(grep -v '^[[:space:]]*#' "$completion")" "$word"; then
    echo "FAIL: '$word' from the usage text is not offered by the bash completion"
    failures=$((failures + 1))
  fi
done

# The other way round for commands: each ".BI name" item of the COMMANDS section is a command.
mapfile -t described < <(awk '/^\.SH /{inside = ($2 == "COMMANDS")} inside && item && /^\.BI? [a-z]/{print $2} {item = ($0 == ".TP")}' "$manpage" | sort -u)
for word in "${described[@]}"; do
  if ! printf '%s\n' "${commands[@]}" | grep -qx "$word"; then
    echo "FAIL: the manual page describes a command '$word' that the usage text does not name"
    failures=$((failures + 1))
  fi
done
[ ${#described[@]} -ge 5 ] || { echo "FAIL: found only ${#described[@]} commands in the manual page"; failures=$((failures + 1)); }

echo "checked ${#commands[@]} commands and ${#options[@]} options: ${commands[*]} ${options[*]}"
if [ "$failures" -ne 0 ]; then
  echo "$failures disagreement(s)"
  exit 1
fi
echo "the manual page and the completion agree with the usage text"
