// kest-tool expr: compiles and evaluates formulas the way the curve calculator does.
#include <algorithm>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "command.h"
#include "expr/expression_parser.h"
#include "support/number_text.h"

namespace kest::tool {
namespace {

struct BoundVariable {
  std::string name;
  double value;
};

int RunExpr(const std::vector<std::string>& arguments) {
  // Everything after "--" is an expression, even when it starts with "--".
  std::vector<std::string> args = arguments;
  std::vector<std::string> tail;
  if (auto dashes = std::find(args.begin(), args.end(), "--"); dashes != args.end()) {
    tail.assign(dashes + 1, args.end());
    args.erase(dashes, args.end());
  }
  std::deque<BoundVariable> variables;  // stable addresses for the parser
  for (std::string assignment = TakeOption(args, "--var"); !assignment.empty();
       assignment = TakeOption(args, "--var")) {
    size_t eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0) throw UsageError("--var needs NAME=VALUE");
    auto value = ParseFloat(assignment.substr(eq + 1));
    if (!value) throw UsageError("not a number in --var " + assignment);
    variables.push_back({assignment.substr(0, eq), *value});
  }
  for (const auto& a : args)
    if (a.size() > 1 && a[0] == '-' && a[1] == '-') throw UsageError("unknown option " + a);
  args.insert(args.end(), tail.begin(), tail.end());
  if (args.empty()) throw UsageError("no expression");

  TExpressionParser parser;
  for (auto& v : variables) parser.DefineVariable(v.name, &v.value);
  for (const auto& text : args) {
    int index = parser.AddExpression(text);
    if (index < 0) continue;  // blank or comment
    std::printf("%s\n", FormatGeneral(parser.Evaluate(index), 15).c_str());
  }
  for (const auto& v : variables)
    std::printf("%s=%s\n", v.name.c_str(), FormatGeneral(v.value, 15).c_str());
  return 0;
}

KEST_TOOL_COMMAND(Command{
    "expr", "[--var NAME=VALUE]... [--] EXPR...",
    "evaluate formulas in one parser (variables carry over) and print the results", RunExpr});

}  // namespace
}  // namespace kest::tool
