#include "app/memtool/surface_recorder_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "app/dialogs/window_questions.h"
#include "link/logger.h"
#include "log/log_sheet.h"
#include "memtool/logger_memory_link.h"
#include "memtool/memory_readout.h"
#include "memtool/memtool_errors.h"
#include "memtool/surface_recorder.h"
#include "support/code_page.h"
#include "support/errors.h"

namespace kest {

namespace {

QString Fixed3(double v) { return QString::asprintf("%.3f", v); }

}  // namespace

TSCMain::TSCMain(TLogger& logger, LoggerHost& host, Clock& clock, WindowQuestions& questions,
                 TLogSheet& sheet, std::function<ToolTime()> local_time,
                 std::function<void()> sheet_changed, QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      logger_(logger),
      clock_(clock),
      questions_(questions),
      sheet_(sheet),
      local_time_(std::move(local_time)),
      sheet_changed_(std::move(sheet_changed)) {
  setWindowTitle("Наземный регистратор");
  setObjectName("TSCMain");
  link_ = std::make_unique<LoggerMemoryLink>(logger_, host, clock_);
  recorder_ = std::make_unique<TSurfaceRecorder>(*link_, static_cast<MemoryToolHost&>(*this));
  // No keep-alive bytes reach the recorder while the window is open.
  keep_alive_off_ = std::make_unique<KeepAliveSuspension>(logger_);

  auto* central = new QWidget(this);
  auto* grid = new QGridLayout(central);
  grid->addWidget(BuildModes(), 0, 0);
  grid->addWidget(BuildClock(), 1, 0);
  grid->addWidget(BuildDepth(), 2, 0);
  grid->addWidget(BuildCoefficients(), 3, 0);
  grid->addWidget(BuildTest(), 0, 1, 2, 1);
  grid->addWidget(BuildMemory(), 2, 1, 2, 1);
  setCentralWidget(central);
  text_ = new QLabel(this);
  text_->setObjectName("StatusText");
  statusBar()->addWidget(text_, 1);
  SystemTime();
  ShowStatusRows();
  ShowZeroPage();
  FollowState();
}

TSCMain::~TSCMain() {
  recorder_->Close();
  link_->OnSensor = nullptr;
  recorder_.reset();
  link_.reset();
  keep_alive_off_.reset();
}

QPushButton* TSCMain::AddButton(const char* name, const QString& text, const QString& hint,
                                void (TSCMain::*action)()) {
  auto* b = new QPushButton(text, this);
  b->setObjectName(name);
  if (!hint.isEmpty()) b->setToolTip(hint);
  connect(b, &QPushButton::clicked, this, [this, action] { (this->*action)(); });
  return b;
}

QWidget* TSCMain::BuildModes() {
  auto* box = new QGroupBox("Режим", this);
  auto* row = new QHBoxLayout(box);
  row->addWidget(AddButton("btStandby", "Ожидание", "Режим ожидания", &TSCMain::Standby));
  row->addWidget(AddButton("btMainMode", "Основной", "Основной режим", &TSCMain::MainMode));
  pass_ = new QCheckBox("Сквозной", this);
  pass_->setObjectName("cbPassThrough");
  connect(pass_, &QCheckBox::clicked, this, [this](bool on) { PassThrough(on); });
  row->addWidget(pass_);
  return box;
}

QWidget* TSCMain::BuildClock() {
  auto* box = new QGroupBox("Дата и время регистратора", this);
  auto* g = new QGridLayout(box);
  date_ = new QDateEdit(this);
  date_->setObjectName("dtpDate");
  date_->setDisplayFormat("dd.MM.yyyy");
  date_->setCalendarPopup(true);
  time_ = new QTimeEdit(this);
  time_->setObjectName("dtpTime");
  time_->setDisplayFormat("HH:mm:ss");
  g->addWidget(date_, 0, 0);
  g->addWidget(time_, 0, 1);
  g->addWidget(AddButton("btSysTime", "Сист. время", "", &TSCMain::SystemTime), 1, 0);
  g->addWidget(AddButton("btSetClock", "Установить", "Установить дату/время", &TSCMain::SetClock),
               1, 1);
  g->addWidget(AddButton("btReadClock", "Прочитать", "Прочитать дату/время", &TSCMain::ReadClock),
               1, 2);
  return box;
}

QWidget* TSCMain::BuildDepth() {
  auto* box = new QGroupBox("Глубина", this);
  auto* g = new QGridLayout(box);
  depth_ = new QLineEdit("0.00", this);
  depth_->setObjectName("edDepth");
  g->addWidget(new QLabel("Текущая, м", this), 0, 0);
  g->addWidget(depth_, 0, 1);
  g->addWidget(AddButton("btSetDepth", "Установить", "Установить глубину", &TSCMain::SetDepth), 0,
               2);
  depth_k_ = new QSpinBox(this);
  depth_k_->setObjectName("seDepthK");
  depth_k_->setRange(1, 100);
  depth_k_->setValue(10);
  g->addWidget(new QLabel("Коэффициент", this), 1, 0);
  g->addWidget(depth_k_, 1, 1);
  g->addWidget(
      AddButton("btSetDepthK", "Установить", "Установить глубину", &TSCMain::SetDepthCoefficient),
      1, 2);
  g->addWidget(AddButton("btReadDepthK", "Прочитать", "", &TSCMain::ReadCoefficients), 1, 3);
  return box;
}

QWidget* TSCMain::BuildCoefficients() {
  auto* box = new QGroupBox("Коэффициенты", this);
  auto* g = new QGridLayout(box);
  auto field = [this](const char* name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setMaximumWidth(90);
    return e;
  };
  tension_k_ = field("edTensionK");
  tension_b_ = field("edTensionB");
  speed_k_ = field("edSpeedK");
  g->addWidget(new QLabel("Натяжение  k=", this), 0, 0);
  g->addWidget(tension_k_, 0, 1);
  g->addWidget(new QLabel("b=", this), 0, 2);
  g->addWidget(tension_b_, 0, 3);
  g->addWidget(AddButton("btReadTension", "Прочитать", "", &TSCMain::ReadCoefficients), 0, 4);
  g->addWidget(
      AddButton("btSetTension", "Установить", "Установить натяжение", &TSCMain::SetTension), 0, 5);
  g->addWidget(new QLabel("Скорость  k=", this), 1, 0);
  g->addWidget(speed_k_, 1, 1);
  g->addWidget(AddButton("btReadSpeed", "Прочитать", "", &TSCMain::ReadCoefficients), 1, 4);
  g->addWidget(AddButton("btSetSpeed", "Установить", "Установить скорость", &TSCMain::SetSpeed), 1,
               5);
  return box;
}

QWidget* TSCMain::BuildTest() {
  auto* box = new QGroupBox("Тест", this);
  auto* v = new QVBoxLayout(box);
  v->addWidget(AddButton("btTest", "Тестирование", "Тестирование", &TSCMain::Test));
  status_ = new QTableWidget(SurfaceStatusRows::kRowCount, 2, this);
  status_->setObjectName("StatusGrid");
  status_->setHorizontalHeaderLabels({"Параметр:", "Значение:"});
  status_->verticalHeader()->hide();
  status_->verticalHeader()->setDefaultSectionSize(20);
  status_->horizontalHeader()->setStretchLastSection(true);
  status_->setColumnWidth(0, 120);
  status_->setMinimumWidth(240);
  status_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  status_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  for (int r = 0; r < SurfaceStatusRows::kRowCount; ++r) {
    status_->setItem(r, 0, new QTableWidgetItem(SurfaceStatusRows::Title(r)));
    status_->setItem(r, 1, new QTableWidgetItem);
  }
  v->addWidget(status_);
  return box;
}

QWidget* TSCMain::BuildMemory() {
  auto* box = new QGroupBox("Память", this);
  auto* v = new QVBoxLayout(box);
  auto* row = new QHBoxLayout;
  row->addWidget(AddButton("btZeroPage", "Нулевая стр", "", &TSCMain::ReadZeroPage));
  row->addWidget(AddButton("btData", "Данные", "", &TSCMain::ReadData));
  v->addLayout(row);
  start_ = new QLabel(this);
  start_->setObjectName("lbStart");
  count_ = new QLabel(this);
  count_->setObjectName("lbCount");
  v->addWidget(start_);
  v->addWidget(count_);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("pbData");
  progress_->setValue(0);
  v->addWidget(progress_);
  v->addStretch();
  return box;
}

// ---------------------------------------------------------------------------------

bool TSCMain::AskWarning(const std::string& text) {
  return questions_.AskYesNo("Предупреждение", text);
}

void TSCMain::ShowStatusText(const std::string& text) {
  if (testing_) return;
  text_->setText(QString::fromStdString(text));
  text_->repaint();
}

std::string TSCMain::StatusText() const { return text_->text().toStdString(); }

QPushButton* TSCMain::Button(const char* name) const { return findChild<QPushButton*>(name); }

QString TSCMain::FieldText(const char* name) const {
  if (auto* e = findChild<QLineEdit*>(name)) return e->text();
  if (auto* l = findChild<QLabel*>(name)) return l->text();
  if (auto* s = findChild<QSpinBox*>(name)) return QString::number(s->value());
  return {};
}

void TSCMain::SetFieldText(const char* name, const QString& text) {
  if (auto* e = findChild<QLineEdit*>(name)) e->setText(text);
}

QString TSCMain::StatusRow(int row) const { return status_->item(row, 1)->text(); }

void TSCMain::FollowState() {
  const int state = recorder_->State();
  SurfaceControls c = TSurfaceRecorder::ControlsFor(state);
  for (QWidget* w : std::initializer_list<QWidget*>{date_, time_, depth_, depth_k_, tension_k_,
                                                    tension_b_, speed_k_})
    w->setEnabled(c.Setup);
  for (const char* name : {"btSysTime", "btSetClock", "btReadClock", "btSetDepth", "btSetDepthK",
                           "btReadDepthK", "btReadTension", "btSetTension", "btReadSpeed",
                           "btSetSpeed", "btTest", "btZeroPage", "btData"})
    Button(name)->setEnabled(c.Setup);
  Button("btStandby")->setEnabled(c.Standby);
  Button("btMainMode")->setEnabled(c.MainMode);
  pass_->setEnabled(c.PassThrough);
  pass_->setChecked(state == TSurfaceRecorder::kPassThrough);
}

void TSCMain::ShowStatusRows() {
  for (int r = 0; r < SurfaceStatusRows::kRowCount; ++r)
    status_->item(r, 1)->setText(QString::fromStdString(recorder_->StatusRows().Text(r)));
}

void TSCMain::ShowZeroPage() {
  const SurfaceZeroPage& z = recorder_->ZeroPage();
  start_->setText(QString::fromStdString(SurfaceStartText(z)));
  count_->setText(QString::fromStdString(
      SurfaceCountText(SurfaceRecordCount(z.LastPage, z.LastOffset, recorder_->PageSize()))));
  tension_k_->setText(Fixed3(z.TensionK));
  tension_b_->setText(Fixed3(z.TensionB));
  speed_k_->setText(Fixed3(z.SpeedK));
  depth_k_->setValue(std::clamp(z.DepthCoefficient, 1, 100));
}

template <typename F>
void TSCMain::Command(F&& action) {
  if (busy_) return;
  busy_ = true;
  try {
    action();
  } catch (const EKestError& e) {
    ShowStatusText(e.what());
    questions_.ShowError(e.what());
  }
  busy_ = false;
  FollowState();
}

// ---------------------------------------------------------------------------------
// Commands

void TSCMain::Standby() {
  Command([&] { recorder_->Standby(); });
}

void TSCMain::MainMode() {
  Command([&] {
    link_->OnSensor = nullptr;
    recorder_->MainMode();
  });
}

void TSCMain::PassThrough(bool on) {
  Command([&] {
    if (on) {
      SheetLock lock(sheet_);
      sheet_.SetSteps(1000);
    }
    recorder_->PassThrough(on);
    if (on) {
      link_->OnSensor = [this](std::string_view sensor, int32_t& value) {
        if (sensor == UpperCase("zulDepth-sensor") && TSurfaceRecorder::LiveDepth(value, sheet_) &&
            sheet_changed_)
          sheet_changed_();
      };
    } else {
      link_->OnSensor = nullptr;
    }
  });
}

void TSCMain::SystemTime() {
  ToolTime t = local_time_ ? local_time_() : ToolTime{};
  date_->setDate(QDate(t.Year, t.Month, t.Day));
  time_->setTime(QTime(t.Hour, t.Minute, t.Second));
}

void TSCMain::SetClock() {
  Command([&] {
    QDate d = date_->date();
    QTime t = time_->time();
    recorder_->SetClock({d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), 0});
    ShowStatusText("Часы регистратора установлены");
  });
}

void TSCMain::ReadClock() {
  Command([&] {
    auto t = recorder_->ReadClock();
    if (!t) throw EMemoryToolError(kNoReplyText);
    date_->setDate(QDate(t->Year, t->Month, t->Day));
    time_->setTime(QTime(t->Hour, t->Minute, t->Second));
    ShowStatusText("Часы регистратора прочитаны");
  });
}

void TSCMain::SetDepth() {
  Command([&] {
    depth_->setText(QString::fromStdString(recorder_->SetDepth(depth_->text().toStdString())));
  });
}

void TSCMain::ReadCoefficients() {
  Command([&] {
    if (!recorder_->ReadCoefficients()) throw EMemoryToolError(kNoReplyText);
    ShowZeroPage();
  });
}

void TSCMain::SetDepthCoefficient() {
  Command([&] { recorder_->SetDepthCoefficient(depth_k_->value()); });
}

void TSCMain::SetSpeed() {
  Command([&] {
    auto k = ParseCoefficient(speed_k_->text().toStdString());
    if (!k) throw EMemoryToolError("Неверное значение коэффициента !");
    recorder_->SetSpeedCoefficient(*k);
  });
}

void TSCMain::SetTension() {
  Command([&] {
    auto k = ParseCoefficient(tension_k_->text().toStdString());
    auto b = ParseCoefficient(tension_b_->text().toStdString());
    if (!k || !b) throw EMemoryToolError("Неверное значение коэффициента !");
    recorder_->SetTension(*k, *b);
  });
}

void TSCMain::Test() {
  Command([&] {
    // The rows say "Ошибка !" until this test's answer is in; it takes seconds.
    for (int r = 0; r < SurfaceStatusRows::kRowCount; ++r)
      status_->item(r, 1)->setText(SurfaceStatusRows::kError);
    status_->viewport()->repaint();
    ShowStatusText("Идёт тестирование...");
    // The test ends on seconds of silence after the answer: meanwhile the bar is
    // busy and the transfer countdown, which reads like a failure, is not shown.
    struct Testing {
      TSCMain& form;
      explicit Testing(TSCMain& f) : form(f) {
        form.testing_ = true;
        form.progress_->setRange(0, 0);
      }
      ~Testing() {
        form.testing_ = false;
        form.progress_->setRange(0, 100);
        form.progress_->setValue(0);
      }
    };
    const bool answered = [&] {
      Testing testing(*this);
      return recorder_->Test();
    }();
    ShowStatusRows();
    ShowStatusText(answered ? "Тестирование завершено" : kNoReplyText);
  });
}

void TSCMain::ReadZeroPage() {
  Command([&] {
    if (!recorder_->ReadZeroPage()) throw EMemoryToolError(kNoReplyText);
    ShowZeroPage();
    ShowStatusText("Нулевая страница прочитана");
  });
}

void TSCMain::ReadData() {
  // An unsaved log in the main window is not lost without asking.
  if (SheetHoldsData(sheet_) && !questions_.AskYesNo("Предупреждение", kReplaceDataQuestion))
    return;
  Command([&] {
    for (QPushButton* b : findChildren<QPushButton*>()) b->setEnabled(false);
    pass_->setEnabled(false);
    progress_->setValue(0);
    SurfaceReadout r = recorder_->ReadData(
        sheet_,
        [this](int received, int expected) {
          progress_->setMaximum(std::max(1, expected));
          progress_->setValue(std::min(received, expected));
        },
        ToolStringText(logger_));
    progress_->setValue(0);
    if (sheet_changed_) sheet_changed_();
    ShowStatusText(r.Message);
    if (!r.Complete) questions_.ShowError(r.Message);
  });
}

void TSCMain::closeEvent(QCloseEvent* event) {
  if (busy_) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
  if (OnClosed) OnClosed();
}

}  // namespace kest
