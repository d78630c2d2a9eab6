#include "app/core/recorder_tools.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <vector>

#include "link/command_driver.h"
#include "link/logger.h"
#include "link/logger_module.h"
#include "link/module_classes.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "support/atomic_file.h"
#include "support/clock.h"
#include "support/code_page.h"
#include "support/errors.h"
#include "support/settings.h"
#include "support/stream.h"

namespace kest {

namespace {

constexpr std::string_view kTensionSymbol = "snTension-sensor";
constexpr const char* kMagLabelTrack = "MAG-LABEL";

bool HoldsTensionSymbol(std::string_view line) {
  // Script symbols are case-insensitive.
  return UpperCase(line).find(UpperCase(kTensionSymbol)) != std::string::npos;
}

// The numbers of a line in order ("+ 0.5 (* 2.0 ..." gives 0.5, 2.0), as written.
std::vector<std::string> NumbersOf(std::string_view line) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < line.size()) {
    const bool sign = (line[i] == '-' || line[i] == '+') && i + 1 < line.size() &&
                      (std::isdigit(static_cast<unsigned char>(line[i + 1])) || line[i + 1] == '.');
    const bool starts = std::isdigit(static_cast<unsigned char>(line[i])) ||
                        (line[i] == '.' && i + 1 < line.size() &&
                         std::isdigit(static_cast<unsigned char>(line[i + 1])));
    const bool in_word =
        i > 0 && (std::isalnum(static_cast<unsigned char>(line[i - 1])) || line[i - 1] == '-');
    if ((sign || starts) && !in_word) {
      size_t j = i + (sign ? 1 : 0);
      while (j < line.size() &&
             (std::isdigit(static_cast<unsigned char>(line[j])) || line[j] == '.'))
        ++j;
      out.emplace_back(line.substr(i, j - i));
      i = j;
    } else {
      ++i;
    }
  }
  return out;
}

}  // namespace

int32_t ToolFloatParameter(double x) {
  const auto b = EncodeToolFloat(x);
  const uint32_t u =
      uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
  int32_t value;
  std::memcpy(&value, &u, sizeof value);
  return value;
}

std::string NormaliseCoefficient(std::string text) {
  if (text.empty()) return "0";
  if (text[0] == '.') text = "0" + text;
  if (text.find('.') == std::string::npos) text += ".0";
  return text;
}

TensionCoefficients ReadTensionCoefficients(const std::string& class_file) {
  TensionCoefficients c;
  if (!FileExists(class_file)) return c;
  std::vector<uint8_t> bytes;
  try {
    bytes = ReadWholeFile(class_file);
  } catch (const std::exception&) {
    return c;
  }
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (HoldsTensionSymbol(line)) {
      std::vector<std::string> numbers = NumbersOf(line);
      if (numbers.size() >= 2) {
        c.B = numbers[0];
        c.K = numbers[1];
      }
      break;
    }
    start = end + 1;
  }
  return c;
}

void WriteTensionCoefficients(const std::string& class_file, const TensionCoefficients& c) {
  std::vector<uint8_t> bytes = ReadWholeFile(class_file);
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const std::string handler = "     (handler . (+ " + c.B + " (* " + c.K + " snTension-sensor))))";
  std::string out;
  out.reserve(bytes.size() + 64);
  size_t start = 0;
  bool first_line = true;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    const bool has_end = end != std::string_view::npos;
    if (!has_end) end = text.size();
    std::string_view line = text.substr(start, end - start);
    const bool cr = !line.empty() && line.back() == '\r';
    if (!first_line && HoldsTensionSymbol(line)) {
      out += handler;
      if (cr) out += '\r';
    } else {
      out += line;
    }
    if (has_end) out += '\n';
    first_line = false;
    start = end + 1;
  }
  AtomicFile file(class_file);
  file.Write(out.data(), out.size());
  file.Commit();
}

void DepthDialogSettings::Load(const Settings& s, const std::string& mode_key) {
  const std::string path = mode_key + "/Depth settings";
  ByMagLabel = s.GetBool(path, "By magnetic mark", ByMagLabel);
  Reverse = s.GetBool(path, "Reverse", Reverse);
  RollerStep = s.GetString(path, "RollerStep", RollerStep);
}

void DepthDialogSettings::Save(Settings& s, const std::string& mode_key) const {
  const std::string path = mode_key + "/Depth settings";
  s.SetBool(path, "By magnetic mark", ByMagLabel);
  s.SetBool(path, "Reverse", Reverse);
  s.SetString(path, "RollerStep", RollerStep);
}

void AppendSamplerRow(TLogSheet& sheet) {
  SheetLock lock(sheet);
  for (int i = 0; i < sheet.Count(); ++i) {
    TLogTrack* t = sheet.Tracks(i);
    if (t->Foreign()) continue;
    const bool label = t->Parameter() == kMagLabelTrack;
    t->Append(label && t->Count() > 0 ? t->Sample(t->Count() - 1) : 0.0f);
  }
}

namespace {

// Sends the bytes under the command lock; a failed write is the driver's silent
// abort (already in the diagnostic log), a closed link sends nothing.
template <typename Fn>
void WithCommands(TLogger& logger, Fn send) {
  if (!logger.CommandDriver().Ready()) return;
  CommandLock lock(logger.CommandDriver());
  try {
    send();
  } catch (const EAbort&) {
  }
}

}  // namespace

void StartTestSignal(TLogger& logger, const TModuleClasses& classes, const std::string& class_name,
                     Clock& clock) {
  const TModuleClass& cls = classes.Get(class_name);
  logger.RemoveToolModules();
  logger.ModuleOffset = 0;
  logger.AddModule(cls);
  WithCommands(logger, [&] {
    logger.SendCommand(0x20);
    clock.SleepMs(5);
    logger.SendCommand(0xF2);
  });
}

void StopTestSignal(TLogger& logger) {
  WithCommands(logger, [&] { logger.SendCommand(0xF1); });
  if (logger.ModuleCount() > 1) logger.RemoveModule(logger.Modules(1));
}

}  // namespace kest
