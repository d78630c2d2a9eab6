#pragma once

#include <string>

namespace kest {

// A report's HTML written as `base`.odt and `base`.pdf (A4 landscape, titled
// `title`), each under a temporary name renamed into place when complete, so a
// failed write leaves no half file under the report's name. False when either failed.
bool WriteReportFiles(const std::string& html, const std::string& base, const std::string& title);

}  // namespace kest
