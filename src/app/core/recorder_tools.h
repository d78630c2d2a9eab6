#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "memtool/tool_codec.h"

namespace kest {

class Clock;
class Settings;
class TLogSheet;
class TLogger;
class TModuleClasses;

// The rules behind the recorder's small tool windows (depth dialog, tension dialog,
// sampler, test signals); the windows only present them.

// The tools' 4-byte float (EncodeToolFloat, DecodeToolFloat) is memtool/tool_codec.h.
// The value whose bytes, least significant first, are the tool float's wire bytes:
// what the logger's parameter command sends.
int32_t ToolFloatParameter(double x);

// A number typed into a coefficient field as the tool scripts write it: empty is
// "0", a leading "." gets a "0", a number without "." gets ".0".
std::string NormaliseCoefficient(std::string text);

// The tension calibration in the panel's class file: the channel formula
// "(+ B (* K snTension-sensor))".
struct TensionCoefficients {
  std::string K = "1.0";
  std::string B = "0.0";
};
// The numbers of the first line holding the tension sensor's symbol; the defaults
// when the file or the line is missing. Raises nothing.
TensionCoefficients ReadTensionCoefficients(const std::string& class_file);
// Rewrites every line after the first that holds the symbol as the handler line
// with B and K (other bytes are kept as they are), through a temporary file.
// Raises EInOutError; the file is unchanged then.
void WriteTensionCoefficients(const std::string& class_file, const TensionCoefficients& c);

// The depth dialog's remembered values, under the mode key's "Depth settings".
struct DepthDialogSettings {
  bool ByMagLabel = false;
  bool Reverse = false;
  std::string RollerStep = "0.01";  // metres

  void Load(const Settings& s, const std::string& mode_key);  // a missing value keeps the default
  void Save(Settings& s, const std::string& mode_key) const;
};

// The sampler's marker row: 0 in every track, except that the magnetic-label track
// repeats its last value, so every track keeps the same number of rows and no
// label is invented.
void AppendSamplerRow(TLogSheet& sheet);

// Test signals: the tool modules make way for the test module class ("Аналог" or
// "Импульс") and the tool is told to start sending (0x20, 5 ms, 0xF2); stopping
// sends 0xF1 and removes the test module again.
void StartTestSignal(TLogger& logger, const TModuleClasses& classes, const std::string& class_name,
                     Clock& clock);
void StopTestSignal(TLogger& logger);

}  // namespace kest
