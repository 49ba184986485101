#!/usr/bin/env bash
# The bash completion of quillon-cli offers the commands, each command's own options, the values
# of --side and --jobs, folders after --dest and project files first. Needs the bash-completion
# package (the package group of scripts/deps.sh); skipped without it (exit 77).
# usage: completion_offers.sh COMPLETION
set -u
completion=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
framework=/usr/share/bash-completion/bash_completion
[ -r "$framework" ] || { echo "bash-completion is not installed: skipped"; exit 77; }
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cd "$work" && mkdir album && touch holiday.tnp beach.jpg

exec bash --norc -c '
source "$1"; source "$2"
failures=0
expect() {  # expect "OFFERED WORDS" WORD... : completing the words offers exactly these
  local want=$1; shift
  COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="${COMP_WORDS[*]}"; COMP_POINT=${#COMP_LINE}; COMPREPLY=()
  _quillon_cli quillon-cli "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
  local got; got=$(printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "); got=${got% }
  want=$(printf "%s\n" $want | sort | tr "\n" " "); want=${want% }
  if [ "$got" != "$want" ]; then
    echo "FAIL: [$*] offers \"$got\", expected \"$want\""; failures=$((failures + 1))
  fi
}
expect "add info build upload thumbnail exif --help -h --version" quillon-cli ""
expect "thumbnail" quillon-cli th
publishing="--transport --passive --port --changed-only --all --remove-stale --yes --identity --trust"
expect "--dest --jobs --incremental --verify --list --upload $publishing" quillon-cli build holiday.tnp --
expect "--dest $publishing" quillon-cli upload holiday.tnp --
expect "ftp ftps sftp" quillon-cli upload holiday.tnp --transport ""
expect "--dump" quillon-cli info holiday.tnp --
expect "--tags" quillon-cli exif beach.jpg --
expect "--side" quillon-cli thumbnail --
expect "thumb image" quillon-cli thumbnail holiday.tnp --side ""
expect "album" quillon-cli build holiday.tnp --dest ""
expect "holiday.tnp beach.jpg album" quillon-cli build holiday.tnp --side ""
expect "holiday.tnp album" quillon-cli build ""
expect "holiday.tnp beach.jpg album" quillon-cli add holiday.tnp ""
expect "holiday.tnp beach.jpg album" quillon-cli exif ""
expect "" quillon-cli frobnicate ""
[ $failures -eq 0 ] && echo "the completion offers what each command takes"
exit $failures
' completion-test "$framework" "$completion"
