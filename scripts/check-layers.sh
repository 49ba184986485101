#!/usr/bin/env bash
# Fails when a folder includes headers of a folder it does not declare as a dependency, and names
# each such file. The dependencies of a core folder are the DEPS of its qg_module() call in
# src/<folder>/CMakeLists.txt (the libraries it links); app/ and cli/, the front ends, may use
# every core folder, and app/ its own sub-folders. Also refuses Qt headers under src/, DEPS that
# go round in a circle, and a layer table in DEVELOPERS.md that says otherwise. Run by ./test.sh.
#   scripts/check-layers.sh [ROOT]     ROOT defaults to the checkout holding this script
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

declare -A deps=()  # folder -> " dep dep " (folder names, without the qg_ prefix)
mapfile -t folders < <(find src -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | sort)
for folder in "${folders[@]}"; do
  file=src/$folder/CMakeLists.txt
  if [ ! -f "$file" ]; then
    echo "check-layers: $file is missing" >&2
    exit 1
  fi
  # The arguments of qg_module(...), which may run over several lines; comments dropped.
  call=$(sed 's/#.*//' "$file" | tr '\n' ' ' | grep -o "qg_module([^)]*)" | head -n 1 || true)
  if [ -z "$call" ]; then
    echo "check-layers: $file has no qg_module() call" >&2
    exit 1
  fi
  read -r -a words <<<"${call#qg_module(}"
  words[-1]=${words[-1]%)}
  if [ "${words[0]}" != "$folder" ]; then
    echo "check-layers: $file declares qg_module(${words[0]} ...), not $folder" >&2
    exit 1
  fi
  list=" "
  in_deps=0
  for word in "${words[@]:1}"; do
    case "$word" in
      DEPS) in_deps=1 ;;
      LIBS) in_deps=0 ;;
      qg_*) [ "$in_deps" -eq 1 ] && list+="${word#qg_} " ;;
      *) ;;
    esac
  done
  deps[$folder]=$list
done

is_folder() {
  local f
  for f in "${folders[@]}"; do [ "$f" = "$1" ] && return 0; done
  return 1
}

violations=()
for folder in "${folders[@]}"; do
  for dep in ${deps[$folder]}; do
    is_folder "$dep" || violations+=("src/$folder/CMakeLists.txt: DEPS names qg_$dep, which is no folder of src/")
  done
done

# Every dependency chain ends: a folder never reaches itself through its DEPS.
declare -A state=()  # unset: not seen, 1: on the current path, 2: done
visit() {
  local folder=$1 path=$2 dep
  state[$folder]=1
  for dep in ${deps[$folder]}; do
    is_folder "$dep" || continue
    if [ "${state[$dep]:-}" = 1 ]; then
      violations+=("src/$dep/CMakeLists.txt: dependency circle $path -> $dep")
    elif [ -z "${state[$dep]:-}" ]; then
      visit "$dep" "$path -> $dep"
    fi
  done
  state[$folder]=2
}
for folder in "${folders[@]}"; do
  [ -z "${state[$folder]:-}" ] && visit "$folder" "$folder"
done

# The table of DEVELOPERS.md ("Layers") says the same as the DEPS: one line per folder, its name
# and then its dependencies (or "-").
if [ -f DEVELOPERS.md ]; then
  for folder in "${folders[@]}"; do
    row=$(grep -E "^    $folder +[a-z-]" DEVELOPERS.md | head -n 1 || true)
    if [ -z "$row" ]; then
      violations+=("DEVELOPERS.md: the layer table has no line for $folder")
      continue
    fi
    read -r -a named <<<"$row"
    written=$(printf '%s\n' "${named[@]:1}" | grep -vx -- - | sort | tr '\n' ' ' || true)
    declared=$(printf '%s\n' ${deps[$folder]} | grep -v '^$' | sort | tr '\n' ' ' || true)
    [ "$written" = "$declared" ] ||
      violations+=("DEVELOPERS.md: the layer table gives $folder '${written% }', its DEPS are '${declared% }'")
  done
fi

# check DIR ALLOWED WHO: one line for each file under DIR and each folder it includes from that
# ALLOWED (" a b ") does not hold; WHO names the folder in the message.
check() {
  local dir=$1 allowed=$2 who=$3 file used
  while read -r file used; do
    case "$allowed" in
      *" $used "*) ;;
      *) violations+=("$file: includes $used/ (not a dependency of $who)") ;;
    esac
  done < <(grep -rHE --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[A-Za-z0-9_]+/' "$dir" |
    sed -E 's|^([^:]*):[[:space:]]*#[[:space:]]*include[[:space:]]*"([A-Za-z0-9_]+)/.*|\1 \2|' | sort -u)
}

for folder in "${folders[@]}"; do
  check "src/$folder" " $folder${deps[$folder]}" "$folder"
done
while IFS= read -r file; do
  violations+=("${file%%:*}: includes Qt (the core under src/ is Qt-free)")
done < <(grep -rHE --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' src |
  sort -u -t: -k1,1)

for front in app cli; do
  [ -d "$front" ] || continue
  allowed=" ${folders[*]} "
  while IFS= read -r sub; do allowed+="$sub "; done \
    < <(find "$front" -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | sort)
  check "$front" "$allowed" "$front"
done

if [ ${#violations[@]} -gt 0 ]; then
  printf '%s\n' "${violations[@]}" >&2
  echo "check-layers: ${#violations[@]} violation(s); a folder includes only its own headers and those of its DEPS (DEVELOPERS.md, Layers)" >&2
  exit 1
fi
