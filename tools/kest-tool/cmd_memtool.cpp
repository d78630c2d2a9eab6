// kest-tool memtool: the memory tool's control window without a screen, on the same
// core (status, clock, task table, launch, read-out into a log file).
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "command.h"
#include "link/logger.h"
#include "link/logger_host.h"
#include "link/module_classes.h"
#include "link/module_defs.h"
#include "link/port_device.h"
#include "log/log_sheet.h"
#include "memtool/logger_memory_link.h"
#include "memtool/memory_readout.h"
#include "memtool/memory_tool.h"
#include "memtool/memory_tool_host.h"
#include "memtool/memtool_errors.h"
#include "memtool/task_grid.h"
#include "memtool_session.h"
#include "session/installation_folders.h"
#include "session/log_document.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "support/clock.h"
#include "support/number_text.h"
#include "tool_environment.h"

namespace kest::tool {

namespace {

std::string TimeText(const ToolTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d:%02d", t.Day, t.Month, t.Year, t.Hour,
                t.Minute, t.Second);
  return buf;
}

void PrintStatus(TMemoryTool& tool) {
  for (int row = 0; row < TStatusData::kRowCount; ++row)
    std::printf("%s\t%s\n", TStatusData::RowTitle(row), tool.StatusData().Text(row).c_str());
}

// One task a line: MODE START END PRESSURE TEMPERATURE FLOW LOCATOR, as in the grid
// ("1 09.12.26-10:10 09.12.26-10:20 1 4 0 0"); "#" starts a comment.
TTaskGrid ReadTaskFile(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw EMemoryToolError("Не удалось открыть файл " + path);
  TTaskGrid grid;
  int task = 0;
  std::string line;
  int line_number = 0;
  while (std::getline(in, line)) {
    ++line_number;
    if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream fields(line);
    std::vector<std::string> cells;
    for (std::string cell; fields >> cell;) cells.push_back(cell);
    if (cells.empty()) continue;
    if (cells.size() != 7 || (cells[0] != "1" && cells[0] != "2"))
      throw EMemoryToolError(
          path + ":" + std::to_string(line_number) +
          ": нужно 7 полей: режим (1 или 2), начало, завершение и четыре периода");
    if (task > 0 && !grid.AddTask(ToolTime{}))
      throw EMemoryToolError(path + ": не более " + std::to_string(TTaskGrid::kMaxRows) +
                             " заданий");
    grid.SetCell(TTaskGrid::kMode, task, cells[0]);
    for (int c = 1; c < 7; ++c)
      grid.SetCell(TTaskGrid::kMode + c, task, cells[static_cast<size_t>(c)]);
    ++task;
  }
  if (task == 0) throw EMemoryToolError(path + ": нет заданий");
  return grid;
}

void PrintTable(const TTaskDefTable& table) {
  TTaskGrid grid;
  grid.FillFromTable(table);
  std::printf("# mode start end pressure temperature flow locator | status pages\n");
  for (int k = 0; k < grid.TaskCount(); ++k) {
    for (int c = TTaskGrid::kMode; c < TTaskGrid::kColumnCount; ++c)
      std::printf("%s%s", grid.Cell(c, k).c_str(), c + 1 < TTaskGrid::kColumnCount ? " " : "");
    std::printf("  # %s", table.Tasks(k).Status == TTask::kExecuted ? "выполнено" : "не выполнено");
    for (int c = 0; c < 4; ++c)
      if (table.Pages(k, c) > 0)
        std::printf(" ch%d %d+%lld", c, table.Tasks(k).Tracks[static_cast<size_t>(c)].FirstPage,
                    static_cast<long long>(table.Pages(k, c)));
    std::printf("\n");
  }
}

// The table in the tool: as many tasks as its status word says.
void ReadTable(TMemoryTool& tool) {
  if (tool.ReadStatus().TaskCount < 1) throw EMemoryToolError("В приборе нет заданий");
  if (!tool.ReadTaskTable()) throw EMemoryToolError("Таблица заданий прибора не прочитана");
}

int MemTool(const std::vector<std::string>& in) {
  std::vector<std::string> args = in;
  bool yes = TakeFlag(args, "--yes");
  bool set = TakeFlag(args, "--set");
  bool read_tasks = TakeFlag(args, "--read");
  std::string write_file = TakeOption(args, "--write");
  std::string forward_text = TakeOption(args, "--fast-forward");
  MemoryToolSession s(args, yes);
  if (args.empty()) throw UsageError("which action?");
  std::string action = args[0];
  args.erase(args.begin());

  if (action == "status") {
    ExpectPositional(args, 0);
    s.Open();
    s.tool->ReadStatus();
    PrintStatus(*s.tool);
  } else if (action == "clock") {
    ExpectPositional(args, 0);
    s.Open();
    if (set) {
      s.tool->SynchronizeClock();
      std::printf("Посл. синхр. часов\t%s\n",
                  s.tool->StatusData().Text(TStatusData::kLastSync).c_str());
    }
    auto t = s.tool->ReadClock();
    if (!t) throw EMemoryToolError(kNoReplyText);
    std::printf("%s\n", TimeText(*t).c_str());
  } else if (action == "tasks") {
    ExpectPositional(args, 0);
    if (write_file.empty() == !read_tasks) throw UsageError("tasks takes --write FILE or --read");
    if (!write_file.empty()) {
      TTaskGrid grid = ReadTaskFile(write_file);
      s.Open();
      grid.BuildTable(s.tool->Table());
      s.tool->WriteTaskTable();
      std::printf("записано заданий: %d\n", s.tool->Table().Count());
    } else {
      s.Open();
      ReadTable(*s.tool);
      PrintTable(s.tool->Table());
    }
  } else if (action == "run") {
    ExpectPositional(args, 0);
    double hours = 0;
    if (!forward_text.empty()) {
      auto v = ParseFloat(forward_text);
      if (!v || *v < 0 || *v > 24 * 365)
        throw UsageError("--fast-forward takes hours (0 to a year)");
      hours = *v;
    }
    s.Open();
    if (hours > 0 && !s.simulator) throw UsageError("--fast-forward works on port SIM only");
    ReadTable(*s.tool);
    if (!s.tool->Launch()) return 1;
    std::printf("прибор запущен: %s\n", s.tool->StatusData().Text(TStatusData::kLastSync).c_str());
    if (hours > 0) {
      s.simulator->MemoryTool().FastForward(hours);
      std::printf("часы имитатора: %s\n", TimeText(s.simulator->MemoryTool().Now()).c_str());
    }
  } else if (action == "read") {
    ExpectPositional(args, 2);
    auto task = ParseInt(args[0]);
    if (!task || *task < 1) throw UsageError("TASK is a task number from 1");
    const std::string out = args[1];
    s.Open();
    ReadTable(*s.tool);
    if (*task > s.tool->Table().Count())
      throw EMemoryToolError("В приборе нет задания " + std::to_string(*task));
    LogDocument document;
    TMemoryReadout readout(*s.tool, s.logger->Channels(), document.Sheet());
    ReadoutOptions options;
    options.burst_file =
        (std::filesystem::path(out).parent_path() / "recivedBurstMode.track").string();
    options.status = [&](const std::string& text) { s.ui.ShowStatusText(text); };
    options.tool = ToolStringText(*s.logger);
    ReadoutResult result;
    std::string failure;
    try {
      result = readout.ReadTrack(*task - 1, options);
    } catch (const EMemoryToolError& e) {
      failure = e.what();
    }
    s.ui.EndLine();
    if (document.Sheet().Count() > 0 && document.Sheet().HasRange()) {
      document.SaveAs(out, s.env.FileOptions());
      std::printf("%s: строк %d%s\n", out.c_str(),
                  document.Sheet().Count() ? document.Sheet().Tracks(0)->Count() : 0,
                  failure.empty() ? "" : " (не полностью)");
    }
    if (result.BurstLines > 0)
      std::printf("%s: строк %lld\n", options.burst_file.c_str(),
                  static_cast<long long>(result.BurstLines));
    if (!failure.empty()) throw EMemoryToolError(failure);
  } else {
    throw UsageError("unknown action " + action);
  }
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND(
    "memtool",
    "status | clock [--set] | tasks --write FILE | tasks --read | run [--fast-forward HOURS] "
    "[--yes] "
    "| read TASK OUT [--port P] [--root DIR]",
    "program and read out a memory tool (port SIM: the simulator's, kept between runs). The "
    "FILE of tasks --write holds one task a line, as the window's task grid: MODE START END "
    "PRESSURE TEMPERATURE FLOW LOCATOR, where MODE is 1 (ordinary) or 2 (burst), START and END "
    "are dd.mm.yy-hh:mm, and the four periods are seconds between samples (negative: "
    "sixteenths of a second; 0: channel off); \"#\" starts a comment, e.g. "
    "\"1 09.12.26-10:10 09.12.26-10:20 1 4 0 0\". A task the tool did not execute is not "
    "read (exit status 1, nothing written)",
    MemTool);

}  // namespace kest::tool
