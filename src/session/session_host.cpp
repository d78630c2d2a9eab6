#include "session/session_host.h"

namespace kest {

bool HeadlessSessionHost::AskText(const std::string& title, const std::string& prompt, std::string& text) {
  Asked.push_back(title + ": " + prompt);
  if (Texts.empty()) return false;
  text = Texts.front();
  Texts.pop_front();
  return true;
}

bool HeadlessSessionHost::AskYesNo(const std::string& title, const std::string& question) {
  Asked.push_back(title + ": " + question);
  return Yes;
}

}  // namespace kest
