#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Mutation testing of the core, run by hand (it is no part of ctest). Each
# mutant of scripts/mutants.txt is put into the source on its own: the test
# programs its ctest regex selects are rebuilt and run, the source is put
# back, and the mutant is "killed" when a test fails, "survived" when they
# all pass. A mutant whose original text is no longer in its file is "not
# applicable", one found more than once "ambiguous", one that does not
# compile "no build", one whose regex selects no test "no tests".
#
#   scripts/mutants.sh [--no-baseline] [NUMBER...]
#
# NUMBERs pick mutants by their place in the list (1 is the first). The
# tests first run without any mutant (the baseline), which must pass.
# Environment: BUILD_DIR (default build/, configured already), MUTANTS
# (default scripts/mutants.txt), JOBS (default 2), TEST_TIMEOUT (seconds
# for each test program, default 600).
#
# It refuses a work tree with uncommitted changes to tracked files, always
# puts the sources back (also when stopped), and at the end rebuilds what
# it built from mutated sources. The exit status is 0 when every mutant
# was killed, 1 when any survived or could not be tried, 2 on a usage or
# set-up error.
set -euo pipefail

top="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$top/build}"
list="${MUTANTS:-$top/scripts/mutants.txt}"
jobs="${JOBS:-2}"
timeout="${TEST_TIMEOUT:-600}"

baseline=1
picked=()
for arg in "$@"; do
  case "$arg" in
    --no-baseline) baseline=0 ;;
    -h|--help) sed -n '3,24p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *[!0-9]*|'') echo "mutants.sh: not a mutant's number: $arg" >&2; exit 2 ;;
    *) picked+=("$arg") ;;
  esac
done

cd "$top"
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "mutants.sh: the work tree has uncommitted changes; commit or stash them first:" >&2
  git status --short --untracked-files=no >&2
  exit 2
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  echo "mutants.sh: $build is not a configured build tree (cmake -S . -B build -G Ninja)" >&2
  exit 2
fi
[ -f "$list" ] || { echo "mutants.sh: no mutant list $list" >&2; exit 2; }

exec 3>&2  # the messages of a stop, past the logs' redirections
work="$(mktemp -d)"
saved=()  # files under mutation, as paths from the top of the tree

# Puts back every file under mutation, with a new time stamp so that the
# next build compiles it again.
restore() {
  local f
  for f in "${saved[@]+"${saved[@]}"}"; do
    cp "$work/saved/$f" "$top/$f"
    touch "$top/$f"
  done
  saved=()
}
finish() {
  local status=$?
  restore
  rm -rf "$work"
  if [ -n "$(git -C "$top" status --porcelain --untracked-files=no)" ]; then
    echo "mutants.sh: the work tree differs from the last commit after restoring:" >&3
    git -C "$top" status --short --untracked-files=no >&3
    status=2
  fi
  exit "$status"
}
# Builds and tests run in a process group of their own, waited for in the
# background: an interrupt then reaches this script at once (a foreground
# child that exits by itself on Ctrl-C would have it ignored), and the
# whole group is stopped before the sources are put back.
child=""
run() {
  local status=0
  setsid "$@" &
  child=$!
  wait "$child" || status=$?
  child=""
  return "$status"
}
stop() {
  if [ -n "$child" ]; then
    kill -TERM -- -"$child" 2>/dev/null || true
    wait "$child" 2>/dev/null || true
  fi
  echo "mutants.sh: stopped; the sources are put back" >&3
  exit 130
}
trap finish EXIT
trap stop INT TERM

# The mutant list read by a small helper: "count", "show N" (the mutant's
# fields, one a line: name, tests, then its files), "apply N" (every
# original replaced, or exit 3 when one is missing and 4 when one occurs
# more than once, with nothing written).
cat > "$work/mutants.py" <<'EOF'
import sys

def blocks(path):
    out, cur, edit = [], None, None
    for number, raw in enumerate(open(path, encoding="utf-8"), 1):
        line = raw.rstrip("\n")
        if line.startswith("#"):
            continue
        if not line.strip():
            if cur: out.append(cur)
            cur = None
            continue
        key, sep, value = line.partition(": ")
        if not sep:
            sys.exit(f"{path}:{number}: not 'key: value'")
        if cur is None:
            cur = {"name": None, "tests": None, "edits": [], "line": number}
        if key == "mutant":
            cur["name"] = value
        elif key == "tests":
            cur["tests"] = value
        elif key == "file":
            edit = {"file": value}
            cur["edits"].append(edit)
        elif key in ("original", "replacement"):
            if not cur["edits"] or key in cur["edits"][-1]:
                sys.exit(f"{path}:{number}: '{key}' without its 'file'")
            cur["edits"][-1][key] = value
        else:
            sys.exit(f"{path}:{number}: unknown key '{key}'")
    if cur: out.append(cur)
    for b in out:
        complete = b["name"] and b["tests"] and b["edits"] and all(
            "original" in e and "replacement" in e for e in b["edits"])
        if not complete:
            sys.exit(f"{path}:{b['line']}: a mutant needs mutant, file, original, replacement and tests")
    return out

command, path = sys.argv[1], sys.argv[2]
mutants = blocks(path)
if command == "count":
    print(len(mutants))
elif command == "show":
    m = mutants[int(sys.argv[3]) - 1]
    print(m["name"]); print(m["tests"])
    for e in m["edits"]: print(e["file"])
elif command == "apply":
    m = mutants[int(sys.argv[3]) - 1]
    texts = {}
    for e in m["edits"]:
        text = texts.get(e["file"]) or open(e["file"], encoding="utf-8").read()
        found = text.count(e["original"])
        if found != 1:
            print(f"{e['file']}: '{e['original']}' found {found} times")
            sys.exit(3 if found == 0 else 4)
        texts[e["file"]] = text.replace(e["original"], e["replacement"])
    for f, text in texts.items():
        open(f, "w", encoding="utf-8").write(text)
EOF
helper() { python3 "$work/mutants.py" "$@"; }

# The names of the tests a ctest regex selects, one a line, and the build
# targets of their programs (a ctest regex holds at most ten groups, so the
# baseline runs the union of the names, not of the regexes).
tests_of() {
  local out
  out="$(ctest --test-dir "$build" -N -R "$1" 2>&1)" || return 1
  if grep -q "RegularExpression" <<<"$out"; then
    echo "mutants.sh: ctest cannot use the regex $1" >&2
    return 1
  fi
  sed -n 's/^ *Test *#[0-9]*: //p' <<<"$out"
}
targets_of() {
  ctest --test-dir "$build" --show-only=json-v1 -R "$1" | python3 -c '
import json, os, sys
build = os.path.realpath(sys.argv[1])
names = set()
for test in json.load(sys.stdin).get("tests", []):
    for word in test.get("command", []):
        if os.path.realpath(word).startswith(build + os.sep) and os.access(word, os.X_OK):
            names.add(os.path.basename(word))
print(" ".join(sorted(names)))' "$build"
}
names_regex() { echo "^($(sort -u | paste -sd'|'))\$"; }

# Builds the targets and runs the tests; returns 0 when they pass, 1 when
# a test fails, 2 when the build fails.
build_and_test() {
  local regex="$1" targets="$2" log="$3"
  if [ -n "$targets" ]; then
    # shellcheck disable=SC2086
    run cmake --build "$build" --parallel "$jobs" --target $targets >> "$log" 2>&1 || return 2
  fi
  GTEST_FAIL_FAST=1 QT_QPA_PLATFORM=offscreen \
    run ctest --test-dir "$build" -R "$regex" --timeout "$timeout" --output-on-failure >> "$log" 2>&1 || return 1
  return 0
}

count="$(helper count "$list")"
if [ "${#picked[@]}" -eq 0 ]; then
  mapfile -t picked < <(seq 1 "$count")
fi
for n in "${picked[@]}"; do
  if [ "$n" -lt 1 ] || [ "$n" -gt "$count" ]; then
    echo "mutants.sh: the list holds mutants 1 to $count, not $n" >&2
    exit 2
  fi
done

# Each mutant's tests and the targets of their programs, before anything changes.
declare -A names targets
all_names=""
for n in "${picked[@]}"; do
  mapfile -t fields < <(helper show "$list" "$n")
  names[$n]="$(tests_of "${fields[1]}")" || exit 2
  targets[$n]="$(targets_of "${fields[1]}")" || exit 2
  all_names+="${names[$n]}"$'\n'
done

logs="$build/mutants"
mkdir -p "$logs"
rm -f "$logs"/*.log

if [ "$baseline" -eq 1 ]; then
  all_names="$(grep -v '^$' <<<"$all_names" | sort -u || true)"
  if [ -z "$all_names" ]; then
    echo "mutants.sh: the mutants' regexes select no test" >&2
    exit 2
  fi
  all_targets="$(printf '%s\n' "${targets[@]}" | tr ' ' '\n' | grep -v '^$' | sort -u | paste -sd' ')"
  echo "Baseline, without mutants: $(paste -sd' ' <<<"$all_names")"
  if ! build_and_test "$(names_regex <<<"$all_names")" "$all_targets" "$logs/baseline.log"; then
    echo "mutants.sh: the tests do not pass without a mutant; see $logs/baseline.log" >&2
    exit 2
  fi
fi

results=()
touched=""
killed=0 survived=0 untried=0
for n in "${picked[@]}"; do
  mapfile -t fields < <(helper show "$list" "$n")
  name="${fields[0]}" regex="${fields[1]}" files=("${fields[@]:2}")
  log="$logs/$n.log"
  : > "$log"
  if [ -z "${names[$n]}" ]; then
    result="no tests"
  else
    mkdir -p "$work/saved"
    for f in "${files[@]}"; do
      mkdir -p "$work/saved/$(dirname "$f")"
      cp "$top/$f" "$work/saved/$f"
      saved+=("$f")
    done
    set +e
    helper apply "$list" "$n" >> "$log"
    applied=$?
    set -e
    if [ "$applied" -eq 3 ]; then
      result="not applicable"
    elif [ "$applied" -eq 4 ]; then
      result="ambiguous"
    elif [ "$applied" -ne 0 ]; then
      exit 2
    else
      touched+=" ${targets[$n]}"
      set +e
      build_and_test "$regex" "${targets[$n]}" "$log"
      outcome=$?
      set -e
      case "$outcome" in
        0) result="SURVIVED" ;;
        1) result="killed" ;;
        *) result="no build" ;;
      esac
    fi
    restore
  fi
  case "$result" in
    killed) killed=$((killed + 1)) ;;
    SURVIVED) survived=$((survived + 1)) ;;
    *) untried=$((untried + 1)) ;;
  esac
  line="$(printf '%3s  %-14s  %-34s  %s' "$n" "$result" "${files[*]}" "$name")"
  results+=("$line")
  echo "$line"
done

# The programs built from mutated sources are built again from the real ones.
rebuild="$(tr ' ' '\n' <<<"$touched" | grep -v '^$' | sort -u | paste -sd' ' || true)"
if [ -n "$rebuild" ]; then
  # shellcheck disable=SC2086
  run cmake --build "$build" --parallel "$jobs" --target $rebuild > "$logs/rebuild.log" 2>&1 ||
    echo "mutants.sh: rebuilding the unmutated programs failed; see $logs/rebuild.log" >&2
fi

echo
printf '%3s  %-14s  %-34s  %s\n' "#" "result" "file" "mutant"
printf '%s\n' "${results[@]}"
echo
echo "${#picked[@]} mutants: $killed killed, $survived survived, $untried not tried (logs in $logs)"
[ "$survived" -eq 0 ] && [ "$untried" -eq 0 ]
