#!/usr/bin/env bash
# Installs into a temporary prefix and checks the tree a desktop expects:
# each file in its place, both validators content, every option in the manual.
# Usage: check-install.sh CMAKE BUILD_DIR APP_ID VERSION
set -euo pipefail
cmake=$1 build=$2 id=$3 version=$4
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Naming the (default) component keeps the build's own install_manifest.txt,
# the list a user uninstalls by, untouched.
"$cmake" --install "$build" --prefix "$prefix" --component Unspecified >/dev/null
desktop=$prefix/share/applications/$id.desktop
man=$prefix/share/man/man1/markloom.1
for f in bin/markloom "${desktop#"$prefix"/}" "share/metainfo/$id.metainfo.xml" \
    share/icons/hicolor/scalable/apps/markloom.svg "${man#"$prefix"/}"; do
  [ -f "$prefix/$f" ] || fail "not installed: $f"
done

desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli validate-tree"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon file for Icon=$icon"
# Opening files is welcome; taking over a URL scheme from the browser is not.
! grep -q 'x-scheme-handler' "$desktop" || fail "registers as a URL-scheme handler"

[ "$("$prefix/bin/markloom" --version)" = "markloom $version" ] || fail "--version is not $version"
warnings=$(groff -man -ww -z "$man" 2>&1) && [ -z "$warnings" ] || fail "man page: $warnings"
# Every option --help lists has an entry (a .TP tag) under OPTIONS.
tags=$(awk '/^\.SH /{s = $2 == "OPTIONS"} s && tp {print} {tp = s && /^\.TP/}' "$man")
for opt in $("$prefix/bin/markloom" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  grep -qE -- "${opt//-/\\\\-}([^a-z-]|$)" <<<"$tags" || fail "man page: no entry for $opt"
done
echo "install tree complete"
