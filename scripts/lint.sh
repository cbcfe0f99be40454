#!/usr/bin/env bash
# The checks that need no build, so the test command runs them first:
#
#   - shellcheck (warnings and errors, following sourced files) over every
#     shell script of the repository;
#   - clang-format (.clang-format) over the C++ of src/, tests/ and bench/:
#     any line it would change is a finding;
#   - no shell function defined in two files: a script that sources both
#     would silently get one of them.
#
# Prints each finding; exits non-zero when there is one.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages shellcheck clang-format

# Every file of the repository that is a shell script: a .sh name, or a
# bash or sh first line (.ci/run). Build folders and screenshots are not the
# repository's.
shell_scripts() {
    find "$ROOT" \( -path "$ROOT/.git" -o -path "$ROOT/build*" -o -path "$ROOT/shots" \) -prune \
        -o -type f -print | sort | while IFS= read -r file; do
        case "$file" in
        *.sh) echo "$file" ;;
        *) head -n 1 "$file" 2>/dev/null | grep -qE '^#!.*[/ ](ba)?sh( |$)' && echo "$file" ;;
        esac
    done
}

cpp_sources() {
    find "$ROOT/src" "$ROOT/tests" "$ROOT/bench" -type f \
        \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' -o -name '*.cc' \) | sort
}

findings=0
mapfile -t scripts < <(shell_scripts)
mapfile -t sources < <(cpp_sources)

# Sourced paths are written relative to the script ("$(dirname ...)/common.sh",
# "$ROOT/scripts/..."): SCRIPTDIR lets shellcheck find them from there.
if ! shellcheck --external-sources --source-path=SCRIPTDIR --severity=warning "${scripts[@]}"; then
    findings=1
fi

if ! clang-format --dry-run --Werror "${sources[@]}"; then
    echo "lint: clang-format would change the lines above; run clang-format -i on those files" >&2
    findings=1
fi

# name<TAB>file for each function definition, "name() {" at any indent.
twice="$(for file in "${scripts[@]}"; do
    sed -nE 's/^[[:space:]]*(function[[:space:]]+)?([A-Za-z_][A-Za-z0-9_]*)[[:space:]]*\(\)[[:space:]]*\{.*/\2/p' "$file" |
        sort -u | sed "s|\$|	${file#"$ROOT"/}|"
done | sort | awk -F'\t' '$1 == name { print name ": " file " and " $2 } { name = $1; file = $2 }')"
if [ -n "$twice" ]; then
    echo "lint: shell functions defined in more than one file:" >&2
    echo "$twice" >&2
    findings=1
fi

if [ "$findings" -ne 0 ]; then
    fail "findings above"
fi
echo "lint: ${#scripts[@]} shell scripts and ${#sources[@]} C++ files, no findings"
