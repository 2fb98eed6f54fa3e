#!/usr/bin/env bash
# Installs the Debian packages Lexmarin needs to build, test, benchmark and package, when
# missing: the spelling dictionaries, SQLite (the translation memory) and the offline
# translation engine with its pairs among them: English-Spanish and English-Catalan, and the
# pairs the engine chains through Spanish to French, Italian and Portuguese (about 20 MB).
# With --tests also the Apertium server the tests start (its package sets up a system service,
# which a user who only runs the program does not need) and the tools that judge the PO and XLIFF
# files the tests export.
set -euo pipefail
packages=(build-essential cmake ninja-build qt6-base-dev qt6-base-dev-tools libgl-dev
          libgtest-dev googletest libbenchmark-dev fonts-dejavu-core
          desktop-file-utils dpkg-dev file
          pkg-config libhunspell-dev hunspell-en-us hunspell-de-de hunspell-fr hunspell-es
          hunspell-cs hunspell-pl hunspell-ru
          libsqlite3-dev
          apertium apertium-eng-spa apertium-eng-cat
          apertium-fr-es apertium-spa-ita apertium-es-pt apertium-en-gl)
# The outside judges of the PO and XLIFF files: GNU gettext, the Translate Toolkit and xmllint;
# /usr/bin/time, which the benchmarks read the command line's peak memory with.
[ "${1:-}" = "--tests" ] && packages+=(apertium-apy gettext translate-toolkit libxml2-utils time)
# With --fuzz the compiler and runtime of the fuzzing campaign (scripts/fuzz.sh).
[ "${1:-}" = "--fuzz" ] && packages+=(clang-14 libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
