#pragma once

#include <exception>
#include <string>

namespace kest {

// The last resort of a program: what to say of an exception that no caller handled.

// "ClassName: message" of the exception (ExceptionClassName); a fixed text for a
// thrown object that is not a std::exception.
std::string FatalErrorText(const std::exception_ptr& error);

// Writes `text` on stderr and as an error into the diagnostic log. Never throws.
void ReportFatalError(const std::string& text) noexcept;

// Makes std::terminate (an exception leaving a thread's function or a noexcept
// function) report the exception in flight as ReportFatalError does, then abort.
void InstallTerminateHandler();

}  // namespace kest
