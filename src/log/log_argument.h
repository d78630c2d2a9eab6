#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kest {

// What a sheet's tracks are sampled against. Depth is in millimetres, time in
// milliseconds, both as signed 32-bit integers. Stored in one byte.
enum TLogArgument : uint8_t { laDepth = 0, laTime = 1, laNone = 2 };

// "DEPTH", "TIME", "NONE".
const char* ArgumentName(TLogArgument argument);
// "DEPTH" / "TIME" in any case; anything else raises ELogError
// "\"%s\" is not a valid argument". "NONE" is produced but never accepted.
TLogArgument StrToArgument(std::string_view text);
// Identifier as in the documents and kest-tool's JSON: "laDepth", "laTime", "laNone".
const char* ArgumentIdentifier(TLogArgument argument);

}  // namespace kest
