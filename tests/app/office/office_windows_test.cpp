// The editor's office windows offscreen: calculator, adding a curve, properties, the
// browser of past recordings with its curve choice and report. Each is also saved
// as a picture next to the test program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "app/core/app_environment.h"
#include "app/office/curve_add_window.h"
#include "app/office/curve_calculator_window.h"
#include "app/office/research_browser_window.h"
#include "app/office/sheet_properties_dialog.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "scripted_questions.h"
#include "session/installation_folders.h"
#include "session/log_document.h"
#include "support/settings.h"
#include "temp_dir.h"
#include "test_support/test_files.h"
#include "viewer/core/caption_fit.h"

namespace kest {
namespace {

namespace fs = std::filesystem;

void Shot(QWidget& w, const char* name) {
  w.grab().save(QString::fromStdString(std::string(KEST_APP_OUT_DIR) + "/" + name));
}

void Fill(TLogSheet& sheet, int32_t step, int rows) {
  for (const char* name : {"DEPTH", "GK", "SP"}) {
    TLogTrack* t = sheet.NewTrack(name);
    t->SetStep(step);
    t->SetOrigin(1000000);
    for (int i = 0; i < rows; ++i) t->Append(static_cast<float>(i));
  }
  sheet.UpdateRange();
}

class OfficeWindows : public ::testing::Test {
 protected:
  OfficeWindows() {
    SeedRoot(test::DataRoot(), root.Path().string());
    env = std::make_unique<AppEnvironment>(root.Path().string());
    questions = std::make_unique<testing::ScriptedQuestions>(*env, settings);
  }
  std::string Research() const { return env->Folders().ResearchBase; }
  void WriteLog(const std::string& path, const std::string& conditions, int32_t step = 100) {
    LogDocument doc;
    Fill(doc.Sheet(), step, 30);
    doc.Sheet().Comments().SetValue("Условия замера", conditions);
    fs::create_directories(fs::path(path).parent_path());
    doc.SaveAs(path, {});
  }
  testing::TempDir root;
  std::unique_ptr<AppEnvironment> env;
  MemorySettings settings;
  std::unique_ptr<testing::ScriptedQuestions> questions;
};

TEST_F(OfficeWindows, CalculatorListsNamesOffersFunctionsAndComputes) {
  TLogSheet sheet;
  Fill(sheet, 100, 10);
  TCalcTracksWindow w(LogParameters(), *questions, env->Folders().Calc);
  int changed = 0;
  w.SetSheet(&sheet, [&] { ++changed; });
  w.resize(760, 480);
  w.show();
  w.show();
  ASSERT_EQ(w.Functions()->count(), 51);  // once, however often shown
  EXPECT_EQ(w.Names()->topLevelItemCount(), 3);
  w.Functions()->setCurrentRow(10);
  EXPECT_EQ(w.Description()->text().toStdString(),
            "if(x1,x2,x3) = Если x1=Истинно(или 1) то x2, иначе x3");
  w.Editor()->setPlainText("GR := if(GR > 4, GR * 2, 0)");
  EXPECT_TRUE(w.Modified());
  w.Calculate();
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(sheet.FindTrack("GK")->Sample(5), 10.0f);
  EXPECT_EQ(sheet.FindTrack("GK")->Sample(3), 0.0f);
  Shot(w, "office_calculator.png");

  w.Editor()->setPlainText("GR := 1 / (GR - GR)");
  w.Calculate();
  ASSERT_EQ(questions->Errors.size(), 1u);
  EXPECT_EQ(questions->Errors[0].rfind("Строка 1, позиция 1: Деление на ноль", 0), 0u);
  EXPECT_EQ(sheet.FindTrack("GK")->Sample(5), 10.0f);

  // Closing with unsaved formulas asks, and saves under the name typed.
  questions->Texts.push_back(root.File("f.txt"));
  w.close();
  EXPECT_EQ(questions->Asked.back(), "Сохранить: Имя файла");
  EXPECT_EQ(LoadFormulaFile(root.File("f.txt")), std::vector<std::string>{"GR := 1 / (GR - GR)"});
}

TEST_F(OfficeWindows, CurveAddingShowsTheFileAndAddsTheCheckedCurve) {
  WriteLog(root.File("a.ls"), "");
  TLogSheet sheet;
  Fill(sheet, 200, 5);
  TCurveAddWindow w(sheet, LogParameters(), *questions, {}, root.Path().string());
  int added = 0;
  w.OnAdded = [&] { ++added; };
  w.ChooseFile(root.File("a.ls"));
  ASSERT_EQ(w.Curves()->count(), 3);
  EXPECT_NE(w.Information()->toPlainText().toStdString().find("-Шаг записи: 0.10"),
            std::string::npos);
  w.Curves()->item(1)->setCheckState(Qt::Checked);
  w.show();
  Shot(w, "office_add_curve.png");
  w.AddChecked();
  EXPECT_EQ(added, 1);
  ASSERT_NE(sheet.FindTrack("GK(A.LS)"), nullptr);
  EXPECT_EQ(questions->Warnings.back(), "Кривая Гамма-каротаж(a.ls) добавлена.");
  // Its column is headed with its file, in a narrow column too.
  auto chars = [](std::string_view text) {
    return static_cast<int>(QString::fromUtf8(text).size());
  };
  EXPECT_EQ(FitCaption("GK(A.LS)", 0, 40, chars), "Гамма-каротаж(a.ls), мкР/ч");
  EXPECT_EQ(FitCaption("GK(A.LS)", 0, 12, chars), "ГК(a.ls)");
}

TEST_F(OfficeWindows, PropertiesApplyAndReadOnly) {
  TLogSheet sheet;
  Fill(sheet, 100, 5);
  sheet.Params().SetValue("well", "12");
  TSheetPropertiesDialog d(env->Folders().Data, *questions);
  d.SetSheet(&sheet);
  EXPECT_FALSE(d.ApplyButton()->isEnabled());
  auto* oilfield = qobject_cast<QComboBox*>(d.Field("oilfield"));
  ASSERT_NE(oilfield, nullptr);
  EXPECT_GT(oilfield->count(), 0);
  oilfield->setEditText("Новое");
  EXPECT_TRUE(d.ApplyButton()->isEnabled());
  d.show();
  Shot(d, "office_properties.png");
  d.Apply();
  EXPECT_EQ(sheet.Params().Value("oilfield"), "Новое");
  EXPECT_EQ(oilfield->findText("Новое") >= 0, true);

  sheet.SetReadOnly(true);
  d.SetSheet(&sheet);
  EXPECT_FALSE(d.Field("oilfield")->isEnabled());
  EXPECT_TRUE(qobject_cast<QLineEdit*>(d.Field("well"))->isReadOnly());
}

TEST_F(OfficeWindows, BrowserListsExportsAndReports) {
  const std::string folder = Research() + "/Южное/12";
  WriteLog(folder + "/001.ls", "Спуск 1");
  WriteLog(folder + "/002.ls", "Подъем 1");
  std::ofstream(folder + "/files") << "001.ls=Спуск 1\r\n002.ls=Подъем 1";
  TResearchBrowserWindow w(Research(), env->Folders().Data, LogParameters(),
                           env->ResearchParameters(), *questions, {});
  w.resize(860, 520);
  w.show();
  w.SelectFolder(folder);
  ASSERT_EQ(w.Logs()->topLevelItemCount(), 2);
  EXPECT_EQ(w.Logs()->topLevelItem(0)->text(0).toStdString(), "Спуск 1");
  w.Logs()->topLevelItem(0)->setSelected(true);
  Shot(w, "office_research.png");

  // The question names the folder as it is; "No" copies nothing.
  questions->Yes = false;
  EXPECT_FALSE(w.ExportTo("LAS", false, root.File("lasout")));
  EXPECT_EQ(questions->Asked.back(),
            "Внимание!: Копировать выбранные файлы в " + root.File("lasout") + " ?");
  EXPECT_FALSE(fs::exists(root.File("lasout")));
  questions->Yes = true;
  ASSERT_TRUE(w.ExportTo("LAS", false, root.File("out")));
  EXPECT_TRUE(fs::exists(root.File("out/Южное/12/Спуск 1.las")));
  const std::string pdf = w.Report(root.Path().string(), false);
  EXPECT_EQ(pdf, root.File("Справка по материалу.pdf"));
  EXPECT_GT(fs::file_size(pdf), 500u);
  EXPECT_GT(fs::file_size(root.File("Справка по материалу.odt")), 500u);

  // Renaming a folder to a taken name is refused and the tree keeps the old one.
  fs::create_directories(Research() + "/Южное/14");
  w.Reload();
  QTreeWidgetItem* item = nullptr;
  for (QTreeWidgetItemIterator it(w.Tree()); *it; ++it)
    if ((*it)->text(0) == "12") item = *it;
  ASSERT_NE(item, nullptr);
  item->setText(0, "14");
  EXPECT_EQ(questions->Errors.back(), "Папка \"14\" уже существует.");
  EXPECT_TRUE(fs::exists(folder + "/001.ls"));
}

TEST_F(OfficeWindows, CurveChoiceKeepsTheDialogOpenOnBadBounds) {
  TLogSheet sheet;
  Fill(sheet, 100, 30);
  TCurveChoiceDialog d(sheet, *questions);
  EXPECT_EQ(d.Curves()->count(), 2);
  EXPECT_EQ(d.LowEdit()->text().toStdString(), "1000.00");
  d.IntervalButton()->setChecked(true);
  d.LowEdit()->setText("abc");
  EXPECT_FALSE(d.Accept());
  EXPECT_EQ(questions->Errors.back(), "Неверное значение !");
  d.LowEdit()->setText("1002");
  d.HighEdit()->setText("1001");
  EXPECT_FALSE(d.Accept());
  EXPECT_EQ(questions->Errors.back(), "Нижняя граница не должна быть больше верхней !");
  d.HighEdit()->setText("1002.5");
  d.Curves()->item(1)->setCheckState(Qt::Unchecked);
  d.show();
  Shot(d, "office_choice.png");
  ASSERT_TRUE(d.Accept());
  EXPECT_EQ(d.Choice().Low, 1002000);
  EXPECT_FALSE(d.Choice().Keep[2]);
}

}  // namespace
}  // namespace kest
