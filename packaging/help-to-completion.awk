# Turns a program's --help text into a bash completion script.
#   awk -v name=kest-tool -f help-to-completion.awk help.txt
# The words after the program are the entries of the sections "commands", "modes"
# and "options" (an entry is a line indented by two spaces: the word, then its
# arguments); a word's options are the "--name" tokens among its arguments. Other
# arguments complete as file names.
/^[^ ].*:$/ { current = substr($0, 1, length($0) - 1); next }
/^  [^ ]/ && (current == "commands" || current == "modes" || current == "options") {
  word = $1
  words = words (words ? " " : "") word
  opts = ""
  for (i = 2; i <= NF; ++i) {
    token = $i
    gsub(/[][|]/, "", token)
    sub(/=.*/, "", token)
    if (token ~ /^--[A-Za-z0-9-]+$/ && index(" " opts " ", " " token " ") == 0)
      opts = opts (opts ? " " : "") token
  }
  if (opts) cases = cases sprintf("    %s) options=\"%s\" ;;\n", word, opts)
}
END {
  fn = "_" name
  gsub(/[^A-Za-z0-9_]/, "_", fn)
  printf "# bash completion for %s, made from \"%s --help\" when the program was built.\n", name, name
  printf "%s() {\n", fn
  print "  local cur=${COMP_WORDS[COMP_CWORD]}"
  print "  if [[ $COMP_CWORD -eq 1 ]]; then"
  printf "    COMPREPLY=($(compgen -W \"%s\" -- \"$cur\"))\n", words
  print "    return"
  print "  fi"
  print "  local options="
  if (cases) {
    print "  case ${COMP_WORDS[1]} in"
    printf "%s", cases
    print "  esac"
  }
  print "  if [[ $cur == -* && -n $options ]]; then"
  print "    COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))"
  print "  fi"
  print "}"
  printf "complete -o default -F %s %s\n", fn, name
}
