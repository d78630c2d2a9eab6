// kest-tool lisp: evaluates script expressions and files with the script engine.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "command.h"
#include "lisp/lisp_error.h"
#include "lisp/node.h"
#include "lisp/reader.h"
#include "lisp/wlisp.h"
#include "support/code_page.h"
#include "support/errors.h"
#include "support/stream.h"

namespace kest::tool {
namespace {

struct LispOptions {
  std::vector<std::string> expressions;  // -e, in order
  std::string file;
  bool pretty = false;     // indented printer
  bool read_only = false;  // print the forms as read, without evaluating them
};

LispOptions ParseOptions(const std::vector<std::string>& args) {
  LispOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-e") {
      if (i + 1 >= args.size()) throw UsageError("-e needs an expression");
      options.expressions.push_back(args[++i]);
    } else if (arg == "--pretty") {
      options.pretty = true;
    } else if (arg == "--read") {
      options.read_only = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError("unknown option " + arg);
    } else if (options.file.empty()) {
      options.file = arg;
    } else {
      throw UsageError("only one file can be given");
    }
  }
  if (!options.file.empty() && !options.expressions.empty())
    throw UsageError("give either -e expressions or a file");
  return options;
}

void PrintValue(const TNode* value, bool pretty) {
  std::string text = pretty ? ToPrettyText(value) : ToText(value);
  for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
  std::printf("%s\n", text.c_str());
}

NodeRef Process(TWLisp& lisp, TNode* form, const LispOptions& options) {
  return options.read_only ? NodeRef::Share(form) : lisp.Eval(form);
}

// Every top-level form of a text, in order; errors end the run.
void RunText(TWLisp& lisp, std::string_view text, const LispOptions& options) {
  TLispReader reader(text);
  while (!reader.AtEnd()) {
    NodeRef form = reader.Read();
    PrintValue(Process(lisp, form.Get(), options).Get(), options.pretty);
  }
}

// The interactive prompt: a form may span lines; errors are shown and the session
// goes on. Ends at the end of input.
int RunPrompt(TWLisp& lisp, const LispOptions& options) {
  std::string buffer;
  std::string line;
  for (;;) {
    std::fputs(buffer.empty() ? "> " : "  ", stdout);
    std::fflush(stdout);
    if (!std::getline(std::cin, line)) break;
    buffer += line + "\n";
    std::vector<NodeRef> forms;
    try {
      TLispReader reader(buffer);
      while (!reader.AtEnd()) forms.push_back(reader.Read());
    } catch (const ELispReadError& e) {
      if (std::string_view(e.what()) == "Unexpected end of line") continue;  // more to come
      std::fprintf(stderr, "%s: %s\n", e.ClassName(), e.what());
      buffer.clear();
      continue;
    }
    buffer.clear();
    for (const NodeRef& form : forms) {
      try {
        PrintValue(Process(lisp, form.Get(), options).Get(), options.pretty);
      } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", ExceptionClassName(e), e.what());
        break;
      }
    }
  }
  std::fputs("\n", stdout);
  return 0;
}

int RunLisp(const std::vector<std::string>& args) {
  LispOptions options = ParseOptions(args);
  TWLisp lisp;
  if (!options.expressions.empty()) {
    for (const std::string& expression : options.expressions) {
      NodeRef form = lisp.Parse(expression);
      PrintValue(Process(lisp, form.Get(), options).Get(), options.pretty);
    }
    return 0;
  }
  if (!options.file.empty()) {
    std::vector<uint8_t> bytes = ReadWholeFile(options.file);
    RunText(
        lisp,
        DecodeTextFile(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())),
        options);
    return 0;
  }
  if (::isatty(STDIN_FILENO)) return RunPrompt(lisp, options);
  std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  RunText(lisp, DecodeTextFile(input), options);
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND("lisp", "[-e EXPR]... | FILE [--pretty] [--read]",
                  "evaluate script expressions or every form of a file (a prompt on a terminal)",
                  RunLisp);

}  // namespace kest::tool
