// kest-tool's script, formula and live-link commands run as programs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run_command.h"
#include "support/number_text.h"
#include "temp_dir.h"

namespace kest {
namespace {

using Result = testing::CommandResult;

const std::string kTool = KEST_TOOL_PATH;

Result Tool(const std::string& args, bool join_stderr = false) {
  return testing::RunCommand(kTool + " " + args, join_stderr);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(LispCommand, EvaluatesExpressionsFilesAndStandardInputInOrder) {
  Result r = Tool("lisp -e '(+ 1 2)' -e \"'(a b)\" -e '\"строка\"'");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "3\n(A B)\n\"строка\"\n");

  // A description file as the field has them: cp1251, CR LF, one form over lines.
  testing::TempDir dir;
  const std::string file = dir.File("forms.lsp");
  std::ofstream(file, std::ios::binary) << "(setq a\r\n  5)\r\n(list a \"\xC3\xEB\xF3\xE1\")\r\n";
  r = Tool("lisp '" + file + "'");
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(r.out, "5\n(5 \"Глуб\")\n");

  // Read only: the forms as read, nothing evaluated (an unbound symbol is no error).
  r = Tool("lisp --read < '" + file + "'");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "(SETQ A 5)\n(LIST A \"Глуб\")\n");
  r = Tool("lisp < '" + file + "'");
  EXPECT_EQ(r.out, "5\n(5 \"Глуб\")\n");
}

TEST(LispCommand, ErrorsAndWrongCommandLinesEndWithOne) {
  Result r = Tool("lisp -e '(+ 1'", true);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("ELispReadError: "), std::string::npos) << r.out;
  // The forms before the error were printed.
  r = Tool("lisp -e '(+ 2 2)' -e '(car 1 2 3'", true);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out.rfind("4\n", 0), 0u) << r.out;
  for (const char* args : {"lisp -e", "lisp -e 1 file.lsp", "lisp a.lsp b.lsp", "lisp --loud"}) {
    r = Tool(args, true);
    EXPECT_EQ(r.code, 1) << args;
    EXPECT_NE(r.out.find("usage: kest-tool lisp"), std::string::npos) << args << ": " << r.out;
  }
}

TEST(ExprCommand, VariablesCarryOverFromFormulaToFormula) {
  Result r = Tool("expr --var x=2 'x:=x*5' 'x+1' '// a comment' -- '-x'");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{"10", "11", "-10", "x=10"}));
  r = Tool("expr '1/0'", true);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("EDivisionByZero: "), std::string::npos) << r.out;
  for (const char* args : {"expr", "expr --var x 1", "expr --var x=y 1", "expr --fast 1"}) {
    r = Tool(args, true);
    EXPECT_EQ(r.code, 1) << args;
    EXPECT_NE(r.out.find("usage: kest-tool expr"), std::string::npos) << args << ": " << r.out;
  }
}

// The columns of `live`'s table: a header, one row a second, the summary line.
struct LiveTable {
  std::vector<std::string> header;
  std::vector<std::vector<double>> rows;
  std::string summary;
};

LiveTable ReadLive(const std::string& out) {
  LiveTable t;
  for (const std::string& line : Lines(out)) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    if (line.rfind("  t, s", 0) == 0) {
      t.header.assign(words.begin() + 2, words.end());
    } else if (line.rfind("modules alive:", 0) == 0) {
      t.summary = line;
    } else if (!words.empty()) {
      std::vector<double> row;
      for (const std::string& w : words) row.push_back(ParseFloat(w).value_or(-1e300));
      t.rows.push_back(row);
    }
  }
  return t;
}

TEST(LiveCommand, ReadsTheSimulatedToolAsTheWinchMovesIt) {
  Result r = Tool("live --seconds 2.5 --speed 3600 --depth 500 --channels DEPTH,GK,NOPE 2>&1");
  ASSERT_EQ(r.code, 0) << r.out;
  LiveTable t = ReadLive(r.out);
  EXPECT_NE(r.out.find("no channel NOPE in this tool string"), std::string::npos) << r.out;
  EXPECT_EQ(t.header, (std::vector<std::string>{"DEPTH", "GK"}));
  ASSERT_GE(t.rows.size(), 2u) << r.out;
  // One metre a second from 500 m.
  EXPECT_NEAR(t.rows[1][1], 500 + t.rows[1][0], 0.6) << r.out;
  EXPECT_GT(t.rows[1][2], 0);
  EXPECT_EQ(t.summary.rfind("modules alive: 5 of 5;", 0), 0u) << t.summary;
  for (const char* args : {"live --seconds x", "live --seed -3", "live --seed 1.5", "live extra"}) {
    r = Tool(args, true);
    EXPECT_EQ(r.code, 1) << args;
    EXPECT_NE(r.out.find("usage: kest-tool live"), std::string::npos) << args << ": " << r.out;
  }
}

// The whole serial path: the simulator on a pseudo-terminal, the logger on its
// device, as with a tool on a real port.
TEST(LiveCommand, HearsTheSimulatorOnAPseudoTerminal) {
  testing::TempDir dir;
  const std::string script = dir.File("serial.sh");
  std::ofstream(script)
      << "tool='" << kTool << "'\n"
      << "\"$tool\" sim --pty --seconds 8 > pty &\n"
      << "for i in $(seq 100); do grep -q '^PTY ' pty && break; sleep 0.05; done\n"
      << "\"$tool\" live --port \"$(sed -n 's/^PTY //p' pty)\" --seconds 2.5 "
         "--channels DEPTH,GK\n"
      << "status=$?; kill $! 2>/dev/null; wait; exit $status\n";
  Result r = testing::RunCommand("cd '" + dir.Path().string() + "' && sh serial.sh", true);
  ASSERT_EQ(r.code, 0) << r.out;
  LiveTable t = ReadLive(r.out);
  ASSERT_GE(t.rows.size(), 2u) << r.out;
  EXPECT_DOUBLE_EQ(t.rows.back()[1], 1000);
  EXPECT_EQ(t.summary.rfind("modules alive: 5 of 5;", 0), 0u) << r.out;
  EXPECT_NE(t.summary.find("/0"), std::string::npos) << "no bad packets: " << t.summary;
}

}  // namespace
}  // namespace kest
