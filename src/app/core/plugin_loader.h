#pragma once

#include <string>
#include <vector>

#include "support/errors.h"

namespace kest {

class TLogger;
class TLogSheet;

KEST_DECLARE_ERROR(EPlugInError, EKestError);

// One plug-in offered in the menu "Инструменты".
struct PlugInEntry {
  std::string Caption;  // from GetInfo
  std::string Name;     // file name without ".so"
  std::string Path;
};

// Which entry point a run called.
enum class PlugInCall { pcNone, pcInitPlugInEx, pcInitPlugIn };

// Every "*.so" of `folder` (sorted by name) that loads and exports GetInfo; the
// library is unloaded again at once. Libraries that fail to load are reported to
// `report` (path, reason) and skipped.
std::vector<PlugInEntry> ScanPlugIns(const std::string& folder,
                                     void (*report)(const std::string&,
                                                    const std::string&) = nullptr);

// Loads the library, calls InitPlugInEx(logger, sheet) or else InitPlugIn(logger),
// and unloads it. EPlugInError when the library cannot be loaded.
PlugInCall RunPlugIn(const std::string& path, TLogger* logger, TLogSheet* sheet);

// The caption held in a length-prefixed field of `size` bytes.
std::string ShortStringText(const unsigned char* field, size_t size);

}  // namespace kest
