// The calibration windows on the memory tool's window, the simulator and scripted
// answers: reading the tool, the unit table, cells, files, measurements, upload.
#include "app/memtool/coef_form.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>
#include <fstream>

#include "app/core/app_environment.h"
#include "app/core/tool_selection.h"
#include "app/memtool/coef_edit_form.h"
#include "app/memtool/memory_tool_form.h"
#include "app/recorder/recorder_form.h"
#include "memtool/calibration_record.h"
#include "memtool/coefficient_file.h"
#include "memtool/memory_tool.h"
#include "memtool/tool_codec.h"
#include "recorder_on_simulator.h"
#include "scripted_questions.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "stepped_clock.h"
#include "support/settings.h"
#include "temp_dir.h"

namespace kest {
namespace {

class CoefWindows : public testing::RecorderOnSimulator {
 protected:
  CoefWindows() : RecorderOnSimulator("Автономный") {
    window->Action("LoggerSelect")->trigger();
    memory_form = window->MemoryForm();
  }
  static std::string Cell(QTableWidget* grid, int row, int column) {
    return grid->item(row, column)->text().toStdString();
  }
  static void Type(QTableWidget* grid, int row, int column, const char* text) {
    grid->item(row, column)->setText(QString::fromUtf8(text));
  }
  // The tool's float f(k) in page 0 of the simulated tool.
  double ToolFloat(size_t k) {
    auto page = simulator->MemoryTool().Page(0);
    return DecodeToolFloat({page[4 * k], page[4 * k + 1], page[4 * k + 2], page[4 * k + 3]});
  }

  TBDMainForm* memory_form = nullptr;
};

TEST_F(CoefWindows, OpensReadingTheToolAndUploadsTheUnitTable) {
  ASSERT_NE(memory_form, nullptr);
  ASSERT_TRUE(memory_form->Action("aCoefficients")->isEnabled());
  memory_form->Action("aCoefficients")->trigger();
  TCoefForm* form = memory_form->CoefForm();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->windowTitle(), "Настройка прибора");
  EXPECT_EQ(form->height(), TCoefForm::kStandardHeight);
  // The simulated tool's own table reads x - 0.001 T: row 1 (x) column 0, row 0 column 1.
  QTableWidget* full = form->Grid(TCoefTable::Full);
  EXPECT_EQ(Cell(full, 1, 0), "1.00000E+00");
  EXPECT_EQ(Cell(full, 0, 1), "-1.00000E-03");
  EXPECT_EQ(form->ToolRecord(), form->Calculated());
  EXPECT_EQ(Cell(form->GainGrid(), 0, 1), "$B0");

  form->Button("UnitTable")->click();
  EXPECT_EQ(Cell(full, 1, 0), "1.00000E-03");
  EXPECT_EQ(Cell(full, 0, 1), "0.00000E+00");
  EXPECT_EQ(Cell(form->Grid(TCoefTable::Thermal), 0, 0), "1.00000E+00");

  // Cells: a number is stored at the cell's place, anything else restores the cell.
  Type(full, 2, 3, "2,5e-3");
  EXPECT_EQ(form->Calculated().Get(TCoefTable::Full, 3, 2), 2.5e-3);
  EXPECT_EQ(Cell(full, 2, 3), "2.50000E-03");
  Type(full, 2, 3, "abc");
  EXPECT_EQ(Cell(full, 2, 3), "2.50000E-03");
  Type(full, 2, 3, "0");
  Type(form->GainGrid(), 0, 0, "$a0");
  EXPECT_EQ(form->Calculated().Gain(0), 0xA0);
  EXPECT_EQ(Cell(form->GainGrid(), 0, 0), "$A0");
  Type(form->GainGrid(), 0, 0, "zz");
  EXPECT_EQ(Cell(form->GainGrid(), 0, 0), "$00");
  form->Button("GainDefaults")->click();
  EXPECT_EQ(Cell(form->GainGrid(), 0, 0), "$90");
  Type(form->DividerGrid(), 0, 2, "x");
  EXPECT_EQ(Cell(form->DividerGrid(), 0, 2), "1");
  form->Button("DividerDefaults")->click();
  EXPECT_EQ(Cell(form->DividerGrid(), 0, 2), "500");

  form->Button("Additional")->click();
  EXPECT_EQ(form->height(), TCoefForm::kAdditionalHeight);
  EXPECT_EQ(form->Button("Additional")->text(), "<< Стандартные");
  Shot(*form, "coef_form.png");
  form->Button("Additional")->click();
  EXPECT_EQ(form->height(), TCoefForm::kStandardHeight);
  form->MetrologyClicked(true);
  EXPECT_EQ(form->height(), TCoefForm::kMetrologyHeight);

  // Upload, confirmed: the tool holds the unit table and says so in its window.
  answers->Yes = false;
  form->UploadToTool();
  EXPECT_EQ(ToolFloat(7), 1.0);  // declined: nothing sent
  answers->Yes = true;
  form->UploadToTool();
  EXPECT_TRUE(answers->Errors.empty()) << answers->Errors.back();
  EXPECT_EQ(answers->Asked.back().rfind("Подтверждение: ", 0), 0u);
  EXPECT_TRUE(form->isVisible());
  EXPECT_NEAR(ToolFloat(7), 0.001, 1e-10);  // M[1][0]
  EXPECT_EQ(ToolFloat(1), 0);
  EXPECT_EQ(ToolFloat(50), 0.002f);
  EXPECT_EQ(memory_form->StatusText(), "Коэффициенты переданы в прибор и прочитаны");

  // The tool's record, read back after the upload: shown read-only, the file and
  // upload commands off.
  form->ShowToolRecord(true);
  EXPECT_FALSE(form->Button("Upload")->isEnabled());
  EXPECT_FALSE(form->Button("Save")->isEnabled());
  EXPECT_FALSE(form->GainGrid()->isEnabled());
  EXPECT_EQ(Cell(full, 1, 0), "1.00000E-03");
  EXPECT_EQ(Cell(full, 0, 1), "0.00000E+00");
  EXPECT_NEAR(form->ToolRecord().Get(TCoefTable::Full, 0, 1), 0.001, 1e-10);  // as a tool float
  form->ShowToolRecord(false);
  EXPECT_TRUE(form->Button("Upload")->isEnabled());
}

TEST_F(CoefWindows, MeasurementsRecalculateAndFilesKeepThem) {
  ASSERT_NE(memory_form, nullptr);
  testing::TempDir dir;
  TCoefForm form(memory_form->Tool(), *answers, dir.Path().string(),
                 [] { return ToolTime{2026, 12, 9, 12, 0, 0, 0}; });
  form.show();
  form.ShowMeasurements();
  TCoefEditForm* edit = form.EditForm();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->windowTitle(), "Введите замеры по каналам");
  QTableWidget* m = edit->Grid(TMeasurementGrid::Measurement);
  QTableWidget* c = edit->Grid(TMeasurementGrid::Compensation);
  EXPECT_EQ(m->columnCount(), 9);
  EXPECT_EQ(c->columnCount(), 8);
  EXPECT_EQ(m->horizontalHeaderItem(2)->text(), "0 МПа");
  // A linear sensor typed as a new user would: raw = 1000 + 10 T + 800 P.
  for (int row = 1; row <= 5; ++row) {
    const int t = 20 * row;
    Type(m, row, 0, std::to_string(t).c_str());
    EXPECT_EQ(Cell(c, row, 0), std::to_string(t));  // the reference temperature follows
    Type(m, row, 1, std::to_string(500 * t).c_str());
    for (int j = 0; j < 7; ++j) {
      Type(m, row, 2 + j, std::to_string(1000 + 10 * t + 8000 * j).c_str());
      Type(c, row, 1 + j, std::to_string(20000 + 100 * t + 30 * j).c_str());
    }
  }
  QTableWidget* full = form.Grid(TCoefTable::Full);
  const std::string before = Cell(full, 1, 0);
  Type(m, 3, 1, "12a");
  EXPECT_FALSE(edit->Recalculate());
  ASSERT_EQ(answers->Errors.size(), 1u);
  EXPECT_EQ(answers->Errors[0], "Ячейка(и) (3,Т прибор);  содержит(ат) нечисловые данные.");
  EXPECT_EQ(Cell(full, 1, 0), before);
  Type(m, 3, 1, "30000");
  Type(m, 2, 0, "20");  // equal to row 1
  EXPECT_FALSE(edit->Recalculate());
  EXPECT_EQ(answers->Errors.back(),
            "Ошибка при рассчёте коэффициентов давления. Возможно строка или столбец содержат "
            "нулевые значения.");
  EXPECT_EQ(Cell(full, 1, 0), before);
  Type(m, 2, 0, "40");
  edit->findChild<QPushButton*>("Recalculate")->click();
  EXPECT_EQ(answers->Errors.size(), 2u) << answers->Errors.back();
  EXPECT_EQ(Cell(full, 1, 0), "1.25000E-01");  // 100 / 800
  EXPECT_EQ(Cell(form.Grid(TCoefTable::Temperature), 1, 0), "2.00000E-03");
  EXPECT_EQ(Cell(m, 0, 0), "0");
  EXPECT_EQ(Cell(m, 6, 0), "120");
  EXPECT_EQ(Cell(m, 6, 2), "2200");  // the 0 MPa reading at 120 °C
  Shot(*edit, "coef_edit_form.png");
  Shot(form, "coef_form_recalculated.png");

  // Saved with the injected moment, then loaded over a unit table.
  answers->Texts = {dir.File("tool17")};
  form.SaveToFile();
  ASSERT_TRUE(std::filesystem::exists(dir.File("tool17.cfs")));
  EXPECT_EQ(std::filesystem::file_size(dir.File("tool17.cfs")), 2032u);
  EXPECT_EQ(form.MetrologyText(), "09.12.2026 12:00:00");
  const TCoefRecord saved = form.Calculated();
  form.UnitTable();
  std::ofstream(dir.File("bad.cfs")) << "QMRCoeffs and nothing else";
  answers->Texts = {dir.File("bad.cfs")};
  form.LoadFromFile();
  EXPECT_EQ(answers->Errors.back(), "Неверный формат файла");
  EXPECT_EQ(Cell(full, 1, 0), "1.00000E-03");
  answers->Texts = {dir.File("tool17.cfs")};
  form.LoadFromFile();
  EXPECT_EQ(form.Calculated(), saved);
  EXPECT_EQ(Cell(full, 1, 0), "1.25000E-01");
  EXPECT_EQ(Cell(m, 5, 0), "100");

  edit->CloseForm();
  EXPECT_FALSE(edit->isVisible());
  form.ShowMeasurements();
  form.ShowToolRecord(true);  // the measurements belong to the calculated record
  EXPECT_FALSE(edit->isVisible());
}

TEST_F(CoefWindows, CloseClosesAnIncompleteTableAskingFirstWhenRowsWereTyped) {
  ASSERT_NE(memory_form, nullptr);
  testing::TempDir dir;
  TCoefForm form(memory_form->Tool(), *answers, dir.Path().string(),
                 [] { return ToolTime{2026, 12, 9, 12, 0, 0, 0}; });
  form.show();
  form.ShowMeasurements();
  TCoefEditForm* edit = form.EditForm();
  ASSERT_NE(edit, nullptr);
  QPushButton* close = edit->findChild<QPushButton*>("Close");
  ASSERT_NE(close, nullptr);
  // Looked at, nothing typed: it closes at once, asking nothing.
  close->click();
  EXPECT_FALSE(edit->isVisible());
  EXPECT_TRUE(answers->Asked.empty());

  // Half a table typed. "Cancel" stays; "Yes" recalculates, which cannot succeed,
  // says why and stays; "No" closes and the typed rows are dropped.
  form.ShowMeasurements();
  QTableWidget* m = edit->Grid(TMeasurementGrid::Measurement);
  Type(m, 1, 0, "20");
  Type(m, 1, 2, "1200");
  for (auto answer : {WindowQuestions::Answer::Cancel, WindowQuestions::Answer::Yes}) {
    answers->Choice = answer;
    close->click();
    EXPECT_TRUE(edit->isVisible());
  }
  EXPECT_EQ(answers->Asked.size(), 2u);
  EXPECT_EQ(answers->Errors.size(), 1u);
  // The coefficient window stays too while the measurements may not go.
  answers->Choice = WindowQuestions::Answer::Cancel;
  EXPECT_FALSE(form.close());
  EXPECT_TRUE(edit->isVisible());
  Type(m, 2, 2, "1500");
  answers->Choice = WindowQuestions::Answer::No;
  close->click();
  EXPECT_FALSE(edit->isVisible());
  EXPECT_NE(Cell(m, 2, 2), "1500");
}

}  // namespace
}  // namespace kest
