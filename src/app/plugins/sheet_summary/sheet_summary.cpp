// An example plug-in: "Сводка планшета" writes a summary of the working sheet into
// its comments ("Сводка"). It calls the program's own operations on the live sheet;
// those symbols come from the program that loads it.
#include <cstring>
#include <string>

#include "app/plugin_api.h"
#include "log/log_sheet.h"
#include "log/log_track.h"

namespace {

constexpr const char* kCaption = "Сводка планшета";

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void GetInfo(KestPlugInInfo* info) {
  size_t length = std::strlen(kCaption);
  info->Caption[0] = static_cast<unsigned char>(length);
  std::memcpy(info->Caption + 1, kCaption, length);
}

__attribute__((visibility("default"))) void InitPlugInEx(kest::TLogger*, kest::TLogSheet* sheet) {
  if (!sheet) return;
  int rows = sheet->Count() ? sheet->Tracks(0)->Count() : 0;
  sheet->Comments().SetValue("Сводка", "Кривых: " + std::to_string(sheet->Count()) + ", строк: " + std::to_string(rows));
}

// Older programs call only this one; this program prefers InitPlugInEx.
__attribute__((visibility("default"))) void InitPlugIn(kest::TLogger*) {}

}  // extern "C"
