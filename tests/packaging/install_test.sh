#!/bin/sh
# `cmake --install` of the build tree under a prefix, and with DESTDIR under another:
# each installed tree is complete, its programs run from there with nothing of the
# build tree, find the installation template under their own prefix, seed a new
# user's root from it and write their diagnostic log in the user's state folder,
# never beside themselves.
#   install_test.sh BUILD_DIR VERSION
set -eu
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# The files a user and a file manager need, relative to the prefix.
expected="bin/kest bin/kest-tool bin/kest-sim lib/kest/PlugIns/sheet_summary.so
share/kest/Data/Classes/System share/kest/Data/sensors
share/applications/kest-recorder.desktop share/applications/kest-editor.desktop
share/mime/packages/kest.xml share/man/man1/kest.1.gz share/man/man1/kest-tool.1.gz
share/bash-completion/completions/kest-tool share/bash-completion/completions/kest
share/icons/hicolor/scalable/apps/kest-editor.svg share/icons/hicolor/48x48/apps/kest-recorder.png
share/doc/kest/guide/README.md share/doc/kest/copyright"

# check PREFIX_ON_DISK NAME: the tree and its programs, run by a user of their own.
check() {
  prefix=$1
  name=$2
  for file in $expected; do
    [ -e "$prefix/$file" ] || fail "$name: $file was not installed"
  done
  for folder in Logs Research PlugIns; do
    [ -d "$prefix/share/kest/$folder" ] || fail "$name: the template lacks $folder/"
  done
  home="$work/home-$name"
  mkdir -p "$home" "$work/run-$name"
  chmod 700 "$work/run-$name"
  user="env -i HOME=$home PATH=/usr/bin:/bin XDG_RUNTIME_DIR=$work/run-$name QT_QPA_PLATFORM=offscreen"

  [ "$($user "$prefix/bin/kest" --version)" = "kest $version" ] || fail "$name: kest --version"
  $user "$prefix/bin/kest" --help | grep -q "^  EDIT \[FILE\]" || fail "$name: kest --help"
  $user "$prefix/bin/kest-tool" help | grep -q "^  convert " || fail "$name: kest-tool help"
  # Without a root of the user's, kest-tool reads the installed template.
  $user "$prefix/bin/kest-tool" modules | grep -q "SYSTEM" || fail "$name: kest-tool modules"
  $user "$prefix/bin/kest-sim" --seconds 0.2 | grep -q "^PTY /dev/" || fail "$name: kest-sim"

  # The editor's first start seeds the user's root and keeps running until stopped.
  rc=0
  $user timeout 8 "$prefix/bin/kest" EDIT >/dev/null 2>&1 || rc=$?
  [ $rc -eq 124 ] || fail "$name: kest EDIT ended by itself with $rc"
  [ -f "$home/.local/share/kest/Data/Classes/System" ] || fail "$name: the user root was not seeded"
  [ -f "$home/.local/share/kest/PlugIns/sheet_summary.so" ] || fail "$name: the plug-in was not copied"
  log="$home/.local/state/kest/kest.log"
  tr -d '\r' < "$log" 2>/dev/null | grep -q "Installation template = $prefix/share/kest\$" ||
    fail "$name: the log at $log does not name the installed template"
  [ ! -e "$prefix/bin/kest.log" ] || fail "$name: a log was written beside the program"
  [ -z "$(find "$prefix" -newer "$work/installed-$name" ! -type d)" ] ||
    fail "$name: running changed the installed tree: $(find "$prefix" -newer "$work/installed-$name")"
}

cmake --install "$build" --prefix "$work/prefix" >/dev/null
touch "$work/installed-prefix"
sleep 1
check "$work/prefix" prefix

DESTDIR="$work/dest" cmake --install "$build" --prefix /opt/kest >/dev/null
touch "$work/installed-destdir"
sleep 1
[ ! -e /opt/kest/bin/kest ] || fail "DESTDIR was not honoured"
# Moved after installing: the tree finds itself wherever it is.
mv "$work/dest/opt/kest" "$work/moved"
check "$work/moved" destdir

[ $failures -eq 0 ] && echo "install: 0 failed" || exit 1
