// kest-tool convert: reads a log file with the reader its extension names and writes
// it with the writer of the output's extension.
#include "command.h"
#include "log/log_sheet.h"
#include "log/log_sheet_filer.h"

namespace kest::tool {
namespace {

int Convert(const std::vector<std::string>& argv) {
  auto args = argv;
  ExpectPositional(args, 2);
  const std::string& in = args[0];
  const std::string& out = args[1];
  WriterFilers().Find(FileFormatName(out));  // an unwritable format fails before reading
  TLogSheet sheet;
  sheet.LoadFromFile(in, FileFormatName(in));
  sheet.SaveToFile(out, FileFormatName(out));
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND("convert", "IN OUT",
                  "read a log file and write it in the format of OUT's extension", Convert);

}  // namespace kest::tool
