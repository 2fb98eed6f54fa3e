#!/usr/bin/env bash
# Installs a build to a temporary prefix, checks the installed tree, and starts the installed
# program there as a new user would, with a fresh home: it must find the dictionary it ships
# and write its settings under that home and nowhere else.
#   install_test.sh BUILD_DIR [1 when the build has lexmarin-cli]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$1"
has_cli="${2:-0}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >/dev/null

# The installed tree.
for p in bin/lexmarin $([ "$has_cli" = 1 ] && echo bin/lexmarin-cli); do
    [ -x "$prefix/$p" ] || fail "no executable $p"
done
data="$prefix/share/lexmarin"
cmp -s "$top/dictionaries/EN.dic" "$data/dictionaries/EN.dic" || fail "dictionary not installed"
cmp -s "$top/examples/city.txt" "$data/examples/city.txt" || fail "example not installed"
cmp -s "$top/README.md" "$data/README.md" || fail "README not installed"
entry="$prefix/share/applications/lexmarin.desktop"
if [ -f "$entry" ]; then
    # Hints are advice; errors and warnings fail.
    report="$(desktop-file-validate "$entry" 2>&1)" || fail "desktop entry invalid: $report"
    if grep -Eq 'error|warning' <<<"$report"; then fail "desktop entry: $report"; fi
    exec_line="$(sed -n 's/^Exec=//p' "$entry")"
    [ -x "$prefix/bin/${exec_line%% *}" ] || fail "desktop entry starts a program not installed"
    [[ "$exec_line" == *" %f" ]] || fail "desktop entry takes no file: $exec_line"
    icon="$prefix/share/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' "$entry").svg"
    grep -q '<svg' "$icon" 2>/dev/null || fail "no icon $icon"
else
    fail "no desktop entry"
fi

# Starts the installed program, closing at once: the exit status is 1 when it showed a message
# (a dictionary it did not find, settings it could not write).
start() { # prefix, home, then the environment
    local at="$1" home="$2"
    shift 2
    (cd "$work/cwd" && env -u LEXMARIN_HOME -u XDG_DATA_HOME -u XDG_CONFIG_HOME \
        -u XDG_CACHE_HOME -u XDG_STATE_HOME HOME="$home" QT_QPA_PLATFORM=offscreen \
        LEXMARIN_QUIT_AFTER_START=1 "$@" timeout 60 "$at/bin/lexmarin" "$data/examples/city.txt")
}
tree() { (cd "$1" && find . -printf '%p %s %T@\n' | sort); }
mkdir "$work/cwd" "$work/home"
installed="$(tree "$prefix")"

# A new user: settings and backups go to the per-user data folder; the shipped dictionary is
# read where it is installed.
out="$(start "$prefix" "$work/home" 2>&1)" || fail "the installed program did not start: $out"
own="$work/home/.local/share/Lexmarin"
grep -qF "$data/examples/city.txt" "$own/tr.dat" 2>/dev/null ||
    fail "no settings in $own (home holds: $(cd "$work/home" && find . -type f))"
[ -d "$own/system" ] || fail "no backup folder in $own"
[ ! -e "$own/dictionaries" ] || fail "the shipped dictionary was copied at start"
elsewhere="$(cd "$work/home" &&
    find . -type f ! -path './.local/share/Lexmarin/*' ! -path './.cache/*')"
[ -z "$elsewhere" ] || fail "written outside the program's folder: $elsewhere"
[ "$(tree "$prefix")" = "$installed" ] || fail "the installed tree changed"
[ -z "$(ls -A "$work/cwd")" ] || fail "written to the working folder: $(ls -A "$work/cwd")"

# LEXMARIN_HOME still holds everything, dictionary included.
mkdir -p "$work/portable/dictionaries" "$work/home2"
printf 'lake\r\n' >"$work/portable/dictionaries/EN.dic"
out="$(start "$prefix" "$work/home2" LEXMARIN_HOME="$work/portable" 2>&1)" ||
    fail "LEXMARIN_HOME: $out"
[ -f "$work/portable/tr.dat" ] || fail "LEXMARIN_HOME: no settings there"
[ -z "$(ls -A "$work/home2")" ] || fail "LEXMARIN_HOME: the home was written"

# Installed in the home's own prefix, ~/.local, its own files stay apart from its data.
mkdir "$work/home3"
cmake --install "$build" --prefix "$work/home3/.local" >/dev/null
out="$(start "$work/home3/.local" "$work/home3" 2>&1)" || fail "prefix ~/.local: $out"
[ -f "$work/home3/.local/share/Lexmarin/tr.dat" ] || fail "prefix ~/.local: settings not apart"
[ ! -e "$work/home3/.local/share/lexmarin/tr.dat" ] || fail "prefix ~/.local: settings in data"

# Without its shipped dictionary the installed program says so, naming the installed path.
rm "$data/dictionaries/EN.dic"
mkdir "$work/home4"
if out="$(start "$prefix" "$work/home4" 2>&1)"; then fail "a missing dictionary went unreported"; fi
grep -qF "$data/dictionaries/EN.dic doesn't exist" <<<"$out" || fail "missing dictionary: $out"

if [ "$has_cli" = 1 ]; then
    cli="$prefix/bin/lexmarin-cli"
    HOME="$work/home4" "$cli" --version >/dev/null || fail "lexmarin-cli"
    # The command line needs no display and no Qt Widgets.
    if objdump -p "$cli" | grep -q 'NEEDED.*Widgets'; then fail "lexmarin-cli links Qt Widgets"; fi
    mkdir "$work/home5"
    out="$(cd "$work/cwd" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
        HOME="$work/home5" "$cli" stats "$data/examples/city.txt" --to es 2>&1)" ||
        fail "lexmarin-cli stats: $out"
    grep -Eq '^all +[0-9]+' <<<"$out" || fail "lexmarin-cli stats printed: $out"
    [ -z "$(ls -A "$work/cwd")" ] || fail "lexmarin-cli wrote to the working folder"
fi

# No program, built or installed, looks for its libraries in the folder it is started from: an
# empty entry in its run path would do that.
for program in "$build/lexmarin" "$prefix/bin/lexmarin" \
    $([ "$has_cli" = 1 ] && echo "$build/lexmarin-cli" "$prefix/bin/lexmarin-cli"); do
    run_path="$(objdump -p "$program" | sed -n 's/^ *\(RPATH\|RUNPATH\) *//p')"
    if [[ ":$run_path:" == *::* && -n "$run_path" ]]; then
        fail "$program loads libraries from the working folder (run path \"$run_path\")"
    fi
done

[ "$failures" -eq 0 ] || exit 1
echo "installed tree and installed program: OK"
