#!/bin/sh
# scripts/check-layers on small trees: a tree that keeps the layers passes, and each
# kind of break fails and names the file that breaks it.
set -eu
check=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

# A tree with every kind of folder and only allowed includes (the listed exceptions too).
make_tree() {
  rm -rf "$tmp/tree"
  for dir in src/support src/log src/session src/viewer/core src/viewer/widgets src/app/core \
    src/app/dialogs src/app/main_window src/app/recorder src/app/editor src/app/memtool \
    src/app/office src/app/plugins/example tools/kest-tool; do
    mkdir -p "$tmp/tree/$dir"
  done
  cd "$tmp/tree"
  printf '#include <string>\n' >src/support/text.h
  printf '#include "support/text.h"\n' >src/log/sheet.h
  printf '#include "log/sheet.h"\n#include "support/text.h"\n' >src/viewer/core/layout.h
  printf '#include <QWidget>\n#include "viewer/core/layout.h"\n' >src/viewer/widgets/view.h
  printf '#include "log/sheet.h"\n#include "viewer/core/layout.h"\n' >src/app/core/recorder.h
  printf '#include <QDialog>\n#include "app/core/recorder.h"\n' >src/app/dialogs/questions.h
  printf '#include "app/dialogs/questions.h"\n#include "viewer/widgets/view.h"\n' \
    >src/app/main_window/main_window.h
  printf '#include "app/main_window/main_window.h"\n#include "app/dialogs/questions.h"\n' \
    >src/app/editor/editor_form.h
  printf '#include "app/memtool/memory_tool_form.h"\n#include "app/main_window/main_window.h"\n' \
    >src/app/recorder/recorder_form.cpp
  printf '#include "app/core/recorder.h"\n' >src/app/recorder/recorder_form.h
  printf '#include "app/dialogs/questions.h"\n' >src/app/memtool/memory_tool_form.h
  printf '#include "app/editor/editor_form.h"\n#include "app/recorder/recorder_form.h"\n' \
    >src/app/office/editor_office_menu.cpp
  printf '#include "app/core/recorder.h"\n#include "viewer/widgets/view.h"\n' \
    >tools/kest-tool/cmd_record.cpp
  printf '#include "app/recorder/recorder_form.h"\n#include "app/editor/editor_form.h"\n' \
    >src/app/main.cpp
  cd - >/dev/null
}

expect_pass() {
  if ! out=$(KEST_LAYERS_ROOT="$tmp/tree" "$check" 2>&1); then
    echo "FAIL: $1: the layers were refused"
    echo "$out"
    failures=$((failures + 1))
  fi
}

# Adds `line` to `file` in a fresh tree; the check must fail and name the file.
expect_refused() {
  make_tree
  printf '%s\n' "$2" >>"$tmp/tree/$1"
  if out=$(KEST_LAYERS_ROOT="$tmp/tree" "$check" 2>&1); then
    echo "FAIL: $1 with $2 passed"
    failures=$((failures + 1))
  elif ! printf '%s' "$out" | grep -q "$1"; then
    echo "FAIL: $1 with $2 failed without naming the file:"
    echo "$out"
    failures=$((failures + 1))
  fi
}

make_tree
expect_pass "a tree that keeps the layers"

expect_refused src/log/sheet.h '#include <QString>'
expect_refused src/app/core/recorder.h '#include <QObject>'
expect_refused src/viewer/core/layout.h '# include "QPainter"'
expect_refused tools/kest-tool/cmd_record.cpp '#include <QCoreApplication>'
expect_refused src/log/sheet.h '#include "viewer/core/layout.h"'
expect_refused src/viewer/core/layout.h '#include "app/core/recorder.h"'
expect_refused src/viewer/core/layout.h '#include "viewer/widgets/view.h"'
expect_refused src/app/core/recorder.h '#include "app/dialogs/questions.h"'
expect_refused tools/kest-tool/cmd_record.cpp '#include "app/dialogs/questions.h"'
expect_refused src/app/dialogs/questions.h '#include "app/main_window/main_window.h"'
expect_refused src/app/dialogs/questions.h '#include "app/recorder/recorder_form.h"'
expect_refused src/app/main_window/main_window.h '#include "app/editor/editor_form.h"'
expect_refused src/app/memtool/memory_tool_form.h '#include "app/office/curve_window.h"'
# An exception covers its own file and folder only.
expect_refused src/app/recorder/recorder_form.cpp '#include "app/editor/editor_form.h"'
expect_refused src/app/recorder/recorder_form.h '#include "app/memtool/memory_tool_form.h"'
expect_refused src/app/office/editor_office_menu.cpp '#include "app/memtool/memory_tool_form.h"'

[ "$failures" -eq 0 ] && echo "check-layers: every break refused"
exit "$failures"
