// The print commands of the main window, as a user gives them: "Печать..." to a PDF
// file through the system's printer choice, and the preview with a head line.
#include <gtest/gtest.h>

#include <QAction>
#include <QInputDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <filesystem>

#include "app/core/app_environment.h"
#include "app/editor/editor_form.h"
#include "log/log_sheet.h"
#include "run_command.h"
#include "scripted_questions.h"
#include "session/installation_folders.h"
#include "support/settings.h"
#include "temp_dir.h"
#include "test_support/test_files.h"
#include "viewer/widgets/log_viewer.h"
#include "viewer/widgets/print_dialog.h"
#include "viewer/widgets/print_preview.h"

namespace kest {
namespace {

namespace fs = std::filesystem;

class PrintCommands : public ::testing::Test {
 protected:
  PrintCommands() { editor = std::make_unique<TEditorForm>(*env, settings, answers); }
  testing::TempDir root;
  std::unique_ptr<AppEnvironment> env = testing::SeededEnvironment(root.Path().string());
  MemorySettings settings;
  testing::ScriptedQuestions answers{*env, settings};
  std::unique_ptr<TEditorForm> editor;
};

TEST_F(PrintCommands, PrintGoesThroughBothDialogsToAPdfFile) {
  QAction* print = editor->Action("aPrint");
  ASSERT_TRUE(print);
  EXPECT_EQ(print->text(), "Печать...");
  EXPECT_EQ(print->shortcut(), QKeySequence(QKeySequence::Print));
  editor->Idle();
  EXPECT_FALSE(print->isEnabled());  // nothing to print yet
  ASSERT_TRUE(editor->OpenFile(test::TestDataDir() + "/las/sample_2.0.las"));
  editor->Idle();
  ASSERT_TRUE(print->isEnabled());

  const std::string pdf = root.File("log.pdf");
  answers.OnExec = [&](QDialog& dialog) {
    if (auto* d = dynamic_cast<TLogViewerPrintDialog*>(&dialog)) {
      d->HeaderEdit()->setText("DEPTH.RTF");
      d->ColourButton()->setChecked(true);
      d->accept();
      return int(QDialog::Accepted);
    }
    if (auto* d = dynamic_cast<QPrintDialog*>(&dialog)) {
      d->printer()->setOutputFormat(QPrinter::PdfFormat);
      d->printer()->setOutputFileName(QString::fromStdString(pdf));
      return int(QDialog::Accepted);
    }
    return int(QDialog::Rejected);
  };
  print->trigger();
  EXPECT_EQ(answers.Dialogs, (std::vector<std::string>{"Печать", "Принтер"}));
  EXPECT_TRUE(answers.Errors.empty());
  ASSERT_TRUE(fs::exists(pdf));
  const std::string text = testing::RunCommand("pdftotext '" + pdf + "' -", true).out;
  EXPECT_NE(text.find("Месторождение"), std::string::npos) << text;  // the head line
  EXPECT_NE(text.find("1668"), std::string::npos) << text;           // 1670 widened to a major line
  EXPECT_FALSE(editor->Viewer()->Printing());
  EXPECT_FALSE(editor->Viewer()->Monochrome());

  // Cancelling the printer choice prints nothing.
  fs::remove(pdf);
  answers.OnExec = [](QDialog& dialog) {
    if (auto* d = dynamic_cast<TLogViewerPrintDialog*>(&dialog)) {
      d->accept();
      return int(QDialog::Accepted);
    }
    return int(QDialog::Rejected);
  };
  print->trigger();
  EXPECT_FALSE(fs::exists(pdf));
}

// The head line chosen in "Печать" is offered again at the next print, also by the
// next run of the program.
TEST_F(PrintCommands, TheChosenHeadLineIsOfferedAgain) {
  const std::string las = test::TestDataDir() + "/las/sample_2.0.las";
  std::vector<std::string> offered;
  answers.OnExec = [&](QDialog& dialog) {
    if (auto* d = dynamic_cast<TLogViewerPrintDialog*>(&dialog)) {
      offered.push_back(d->HeaderEdit()->text().toStdString());
      if (offered.size() == 1) d->HeaderEdit()->setText("DEPTH.RTF");
      d->accept();
      return int(QDialog::Accepted);
    }
    return int(QDialog::Rejected);  // the printer choice: nothing is printed
  };
  ASSERT_TRUE(editor->OpenFile(las));
  editor->Action("aPrint")->trigger();
  editor->Action("aPrint")->trigger();
  editor.reset();
  editor = std::make_unique<TEditorForm>(*env, settings, answers);
  ASSERT_TRUE(editor->OpenFile(las));
  editor->Action("aPrint")->trigger();
  EXPECT_EQ(offered, (std::vector<std::string>{"", "DEPTH.RTF", "DEPTH.RTF"}));
}

TEST_F(PrintCommands, PreviewOffersTheHeadLinesAndGivesTheTabletBack) {
  // A log from the field, 137 m of nine curves (the user guide shows this picture).
  ASSERT_TRUE(editor->OpenFile(test::TestDataDir() + "/las/6038187_v1.2.las"));
  answers.Warnings.clear();  // the reader's notice about the file's curves
  editor->resize(1000, 700);
  editor->show();
  bool shown = false;
  answers.OnExec = [&](QDialog& dialog) {
    if (auto* choose = dynamic_cast<QInputDialog*>(&dialog)) {
      EXPECT_TRUE(choose->comboBoxItems().contains("DEPTH.RTF"));
      choose->setTextValue("DEPTH.RTF");
      return int(QDialog::Accepted);
    }
    if (auto* preview = dynamic_cast<TPrintPreviewDlg*>(&dialog)) {
      shown = true;
      EXPECT_TRUE(editor->Viewer()->Printing());
      EXPECT_TRUE(preview->Colour());
      preview->resize(800, 600);
      preview->show();
      preview->grab().save(QString(KEST_APP_OUT_DIR) + "/print_preview.png");
    }
    return int(QDialog::Rejected);
  };
  editor->Action("aPreview")->trigger();
  EXPECT_TRUE(shown);
  EXPECT_EQ(answers.Dialogs,
            (std::vector<std::string>{"Выберите шапку", "Предварительный просмотр"}));
  EXPECT_FALSE(editor->Viewer()->Printing());
  EXPECT_TRUE(answers.Warnings.empty());
}

}  // namespace
}  // namespace kest
