#pragma once

#include <string>

namespace kest {

// What the memory tool's commands need of the program around them: a yes/no question
// and the status bar. The window answers with dialogs and panels, kest-tool on the
// terminal, tests with a script.
class MemoryToolHost {
 public:
  virtual ~MemoryToolHost() = default;
  // A warning with Yes and No; true for Yes.
  virtual bool AskWarning(const std::string& text) = 0;
  // The text panel of the status bar (progress, the page being read, level-0 errors).
  virtual void ShowStatusText(const std::string& text) = 0;
  // The activity picture: busy while values are flowing.
  virtual void ShowActivity(bool busy) = 0;
};

}  // namespace kest
