#include "log/log_argument.h"

#include "log/log_errors.h"
#include "support/code_page.h"

namespace kest {

const char* ArgumentName(TLogArgument argument) {
  switch (argument) {
    case laDepth:
      return "DEPTH";
    case laTime:
      return "TIME";
    default:
      return "NONE";
  }
}

const char* ArgumentIdentifier(TLogArgument argument) {
  switch (argument) {
    case laDepth:
      return "laDepth";
    case laTime:
      return "laTime";
    default:
      return "laNone";
  }
}

TLogArgument StrToArgument(std::string_view text) {
  if (SameText(text, "DEPTH")) return laDepth;
  if (SameText(text, "TIME")) return laTime;
  throw ELogError("\"" + std::string(text) + "\" is not a valid argument");
}

}  // namespace kest
