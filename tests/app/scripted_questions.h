#pragma once

#include <QDialog>
#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/core/app_environment.h"
#include "app/core/tool_selection.h"
#include "app/core/tool_string.h"
#include "app/dialogs/window_questions.h"
#include "log/log_sheet_filer.h"
#include "support/settings.h"
#include "test_support/test_files.h"

namespace kest::testing {

// A fresh installation seeded from the shipped data in `root`. Fixtures make it in
// the member's initializer, before the answers that keep a reference to it.
inline std::unique_ptr<AppEnvironment> SeededEnvironment(const std::string& root) {
  SeedRoot(test::DataRoot(), root);
  return std::make_unique<AppEnvironment>(root);
}

// The windows' questions answered from a script, as HeadlessSessionHost answers
// the session's: texts in order, one Yes/No answer, and a record of what was asked.
class ScriptedQuestions : public HeadlessAnswers<WindowQuestions> {
 public:
  ScriptedQuestions(AppEnvironment& env, Settings& settings) : env_(env), settings_(settings) {}

  Answer Choice = Answer::No;  // every Yes/No/Cancel box
  std::string SaveFormat;      // the save dialog's filter; "" takes the typed extension
  std::vector<std::string> Errors;
  std::vector<std::string> Folders;    // every file dialog's starting folder
  std::vector<std::string> Proposals;  // every name the save dialog proposed
  std::optional<int32_t> LasStep;      // typed into the save dialog's LAS step field

  Answer AskYesNoCancel(const std::string& title, const std::string& question) override {
    Asked.push_back(title + ": " + question);
    return Choice;
  }
  void ShowError(const std::string& message) override { Errors.push_back(message); }
  std::vector<std::string> Sounds;  // every sound played
  void PlaySound(const std::string& path) override { Sounds.push_back(path); }
  std::string AskOpenFile(const std::string& title, const std::string& dir,
                          const std::string&) override {
    Folders.push_back(dir);
    std::string path;
    return AskText(title, "Имя файла", path) ? path : std::string();
  }
  bool AskSaveFile(const std::string& title, const std::string& dir, const std::string& name,
                   const std::vector<std::string>&, std::string& path, std::string& format,
                   int32_t* las_step = nullptr) override {
    Folders.push_back(dir);
    if (las_step && LasStep) *las_step = *LasStep;
    Proposals.push_back(name);
    if (!AskText(title, "Имя файла", path)) return false;
    format = SaveFormat;
    if (format.empty()) format = FileFormatName(path);
    std::transform(format.begin(), format.end(), format.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    return true;
  }
  // The tool selection dialog's OK on the string it offers: the one chosen last,
  // else the shipped one.
  bool SelectToolString(TLogger& logger) override {
    ToolSelection rules(env_.Classes(), env_.Defs());
    LoadToolString(logger, env_.Classes(), env_.Defs(),
                   rules.Effective(ToolSelection::Load(settings_, "LogRecorder").Current()));
    return true;
  }
  bool AskResearch(std::string& name, StringList&) override {
    return AskText("Параметры", "Исследование", name);
  }
  bool AskSamplerCurrent(int&) override { return AskYesNo("Пробоотборник", "Взять пробу?"); }
  // A window's modal dialog: what OnExec does with it (it may fill and accept it),
  // else cancelled. Each title is recorded.
  std::function<int(QDialog&)> OnExec;
  std::vector<std::string> Dialogs;
  int Exec(QDialog& dialog) override {
    Dialogs.push_back(dialog.windowTitle().toStdString());
    return OnExec ? OnExec(dialog) : QDialog::Rejected;
  }

 private:
  AppEnvironment& env_;
  Settings& settings_;
};

}  // namespace kest::testing
