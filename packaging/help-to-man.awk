# Turns a program's --help text into a manual page (roff, man macros).
#   awk -v name=kest-tool -v title="one line" -v version=1.4.0 -f help-to-man.awk help.txt
# The help text's shape: "usage: ..." is the synopsis; a line that ends in ":" starts
# a section; a line indented by two spaces is an entry, by six the entry's text; any
# other line belongs to a paragraph.
function esc(t) {
  gsub(/\\/, "\\e", t)
  gsub(/-/, "\\-", t)
  if (t ~ /^[.']/) t = "\\&" t
  return t
}
function section(heading) {
  printf ".SH %s\n", toupper(heading)
  in_paragraph = 0
}
BEGIN {
  print "'\\\" -*- coding: utf-8 -*-"
  printf ".TH %s 1 \"\" \"KEST %s\" \"User Commands\"\n", toupper(esc(name)), version
  section("name")
  printf "%s \\- %s\n", esc(name), esc(title)
  sections = 0
}
/^usage: / {
  section("synopsis")
  print esc(substr($0, 8))
  next
}
/^[^ ].*:$/ {
  section(substr($0, 1, length($0) - 1))
  ++sections
  next
}
/^      / {
  sub(/^ +/, "")
  print esc($0)
  next
}
/^  [^ ]/ {
  sub(/^ +/, "")
  print ".TP"
  printf "\\fB%s\\fR\n", esc($0)
  next
}
/^$/ { in_paragraph = 0; next }
{
  if (!sections && !described) { section("description"); described = 1 }
  else if (!in_paragraph) print ".PP"
  in_paragraph = 1
  print esc($0)
}
