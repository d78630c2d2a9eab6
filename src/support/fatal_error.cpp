#include "support/fatal_error.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "support/diagnostic_log.h"
#include "support/errors.h"

namespace kest {

namespace {

[[noreturn]] void OnTerminate() {
  // A second fault while reporting the first must not loop.
  static std::atomic<bool> reporting{false};
  if (!reporting.exchange(true)) {
    ReportFatalError(FatalErrorText(std::current_exception()));
  }
  std::abort();
}

}  // namespace

std::string FatalErrorText(const std::exception_ptr& error) {
  if (!error) return "Exception: terminated without an exception";
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return std::string(ExceptionClassName(e)) + ": " + e.what();
  } catch (...) {
    return "Exception: unknown exception";
  }
}

void ReportFatalError(const std::string& text) noexcept {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
  try {
    Diag().Error(text);
  } catch (...) {
    // stderr has it already.
  }
}

void InstallTerminateHandler() { std::set_terminate(OnTerminate); }

}  // namespace kest
