#include "app/memtool/memory_tool_form.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>

#include "app/dialogs/window_questions.h"
#include "app/memtool/coef_form.h"
#include "app/memtool/memory_status_window.h"
#include "link/logger.h"
#include "log/log_sheet.h"
#include "memtool/logger_memory_link.h"
#include "memtool/memory_readout.h"
#include "memtool/memory_tool.h"
#include "memtool/memtool_errors.h"
#include "memtool/task_table.h"
#include "support/errors.h"

namespace kest {

namespace {

// The activity picture: a lamp, lit while values flow.
QPixmap Lamp(bool busy) {
  QPixmap p(14, 14);
  p.fill(Qt::transparent);
  QPainter painter(&p);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QColor(60, 60, 60));
  painter.setBrush(busy ? QColor(40, 200, 60) : QColor(170, 170, 170));
  painter.drawEllipse(1, 1, 12, 12);
  return p;
}

// The pictures of the mode column: an ordinary task ("1"), a burst task ("2").
QIcon ModeIcon(bool burst) {
  QPixmap p(12, 12);
  p.fill(Qt::transparent);
  QPainter painter(&p);
  painter.setPen(Qt::NoPen);
  painter.setBrush(burst ? QColor(230, 120, 20) : QColor(40, 110, 200));
  if (burst)
    painter.drawPolygon(QPolygon({QPoint(6, 0), QPoint(12, 12), QPoint(0, 12)}));
  else
    painter.drawRect(1, 1, 10, 10);
  return QIcon(p);
}

std::string PcClockText(const ToolTime& t) {
  static const char* const kDays[] = {"воскресенье", "понедельник", "вторник", "среда",
                                      "четверг",     "пятница",     "суббота"};
  char buf[96];
  std::snprintf(buf, sizeof buf, "%s,%02d/%d/%02d %02d:%02d:%02d",
                kDays[DayOfWeek(t.Year, t.Month, t.Day) - 1], t.Day, t.Month, t.Year % 100, t.Hour,
                t.Minute, t.Second);
  return buf;
}

}  // namespace

TBDMainForm::TBDMainForm(TLogger& logger, LoggerHost& host, Clock& clock,
                         WindowQuestions& questions, TLogSheet& sheet, std::string burst_dir,
                         std::function<ToolTime()> local_time, std::function<void()> sheet_changed,
                         QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      logger_(logger),
      clock_(clock),
      questions_(questions),
      sheet_(sheet),
      burst_dir_(std::move(burst_dir)),
      local_time_(std::move(local_time)),
      sheet_changed_(std::move(sheet_changed)) {
  setWindowTitle("Управление автономным прибором");
  setObjectName("TBDMainForm");
  link_ = std::make_unique<LoggerMemoryLink>(logger_, host, clock_);
  tool_ = std::make_unique<TMemoryTool>(*link_, static_cast<MemoryToolHost&>(*this), local_time_);
  info_ = std::make_unique<TStatusForm>(logger_, tool_->StatusData(), this);
  tool_->StatusData().OnChange = [this] { info_->StatusChanged(); };

  table_ = new QTableWidget(this);
  table_->setObjectName("TaskGrid");
  table_->setColumnCount(TTaskGrid::kColumnCount);
  QStringList titles;
  for (int c = 0; c < TTaskGrid::kColumnCount; ++c)
    titles << QString::fromUtf8(TTaskGrid::ColumnTitle(c));
  table_->setHorizontalHeaderLabels(titles);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(20);
  table_->setColumnWidth(TTaskGrid::kNumber, 24);
  table_->setColumnWidth(TTaskGrid::kMode, 24);
  for (int c = TTaskGrid::kStart; c < TTaskGrid::kColumnCount; ++c)
    table_->setColumnWidth(c, c <= TTaskGrid::kEnd ? 105 : 95);
  // Every column in sight, also when the window is fitted to its contents.
  int columns = 2 * table_->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  for (int c = 0; c < TTaskGrid::kColumnCount; ++c) columns += table_->columnWidth(c);
  table_->setMinimumWidth(columns);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  setCentralWidget(table_);
  connect(table_, &QTableWidget::cellChanged, this, [this](int row, int column) {
    if (!filling_) EditCell(row, column, table_->item(row, column)->text().toStdString());
  });
  connect(table_, &QTableWidget::cellClicked, this, [this](int row, int column) {
    if (column == TTaskGrid::kMode && !busy_) {
      grid_.ToggleMode(row);
      FillWidget();
    }
  });
  connect(table_, &QTableWidget::currentCellChanged, this,
          [this](int row, int column, int, int) { CellSelected(row, column); });

  BuildToolBar();
  activity_ = new QLabel(this);
  activity_->setPixmap(Lamp(false));
  text_ = new QLabel(this);
  text_->setObjectName("StatusText");
  clock_text_ = new QLabel(this);
  statusBar()->addWidget(activity_);
  statusBar()->addWidget(text_, 1);
  statusBar()->addPermanentWidget(clock_text_);
  clock_timer_ = new QTimer(this);
  connect(clock_timer_, &QTimer::timeout, this, [this] { ShowClock(); });
  clock_timer_->start(18);
  ShowClock();
  FillWidget();
  resize(760, 300);
}

TBDMainForm::~TBDMainForm() {
  clock_timer_->stop();
  info_->close();
  tool_->Close();
  tool_->StatusData().OnChange = nullptr;
}

void TBDMainForm::BuildToolBar() {
  QToolBar* bar = addToolBar("Прибор");
  bar->setObjectName("MemoryToolBar");
  bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  auto add = [&](const char* name, const char* hint, QStyle::StandardPixmap icon, auto slot) {
    QAction* a = bar->addAction(style()->standardIcon(icon), QString::fromUtf8(hint));
    a->setObjectName(name);
    a->setToolTip(QString::fromUtf8(hint));
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  add("aStatus", "Состояние прибора", QStyle::SP_MessageBoxInformation, [this] { ReadStatus(); });
  add("aSyncClock", "Синхронизировать часы", QStyle::SP_BrowserReload, [this] { SyncClock(); });
  bar->addSeparator();
  add("aAddTask", "Добавить задание", QStyle::SP_FileDialogNewFolder, [this] { AddTask(); });
  add("aDeleteTask", "Удалить задание", QStyle::SP_TrashIcon, [this] { DeleteTask(); });
  add("aWriteTable", "Записать таблицу заданий", QStyle::SP_DialogSaveButton,
      [this] { WriteTable(); });
  add("aReadTable", "Прочитать таблицу заданий", QStyle::SP_DialogOpenButton,
      [this] { ReadTable(); });
  add("aLaunch", "Запуск прибора на выполнение", QStyle::SP_MediaPlay, [this] { Launch(); });
  bar->addSeparator();
  add("ToKEST", "Читать дорожку", QStyle::SP_ArrowDown, [this] { ReadTrack(); });
  QAction* stop =
      add("aStopRead", "Прервать чтение", QStyle::SP_BrowserStop, [this] { cancel_ = true; });
  stop->setEnabled(false);
  bar->addSeparator();
  add("aPassCoef", "Сквозной режим c коэффициентами", QStyle::SP_MediaSeekForward,
      [this] { PassThrough(true); });
  add("aPassRaw", "Сквозной режим без коэффициентов", QStyle::SP_MediaSkipForward,
      [this] { PassThrough(false); });
  add("aStandby", "Вернуть в режим ожидания", QStyle::SP_MediaPause, [this] { Standby(); });
  bar->addSeparator();
  add("aCoefficients", "Коэффициенты", QStyle::SP_FileDialogDetailedView,
      [this] { ShowCoefficients(); });
  QAction* info = add("aInfo", "Окно информации", QStyle::SP_FileDialogInfoView,
                      [this](bool on) { ShowInfo(on); });
  info->setCheckable(true);
}

QAction* TBDMainForm::Action(const char* name) const { return findChild<QAction*>(name); }

std::string TBDMainForm::StatusText() const { return text_->text().toStdString(); }

void TBDMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  text_->setMinimumWidth(std::abs(statusBar()->width() - 200) / 2);
}

void TBDMainForm::ShowClock() {
  if (local_time_) clock_text_->setText(QString::fromStdString(PcClockText(local_time_())));
}

// ---------------------------------------------------------------------------------
// The host of the core

bool TBDMainForm::AskWarning(const std::string& text) {
  return questions_.AskYesNo("Предупреждение", text);
}

void TBDMainForm::ShowStatusText(const std::string& text) {
  text_->setText(QString::fromStdString(text));
  text_->repaint();
}

void TBDMainForm::ShowActivity(bool busy) { activity_->setPixmap(Lamp(busy)); }

void TBDMainForm::ShowError(const std::string& text, int level) {
  ShowStatusText(text);
  if (level >= 1) questions_.ShowError(text);
}

template <typename F>
void TBDMainForm::Command(F&& action) {
  if (busy_) return;
  busy_ = true;
  for (QAction* a : findChild<QToolBar*>("MemoryToolBar")->actions())
    if (a->objectName() != "aInfo" && a->objectName() != "aStopRead") a->setEnabled(false);
  table_->setEnabled(false);
  try {
    action();
  } catch (const EKestError& e) {
    ShowError(e.what(), 1);
  }
  for (QAction* a : findChild<QToolBar*>("MemoryToolBar")->actions())
    if (a->objectName() != "aStopRead") a->setEnabled(true);
  table_->setEnabled(true);
  busy_ = false;
}

// ---------------------------------------------------------------------------------
// Commands

void TBDMainForm::ReadStatus() {
  Command([&] { tool_->ReadStatus(); });
}

void TBDMainForm::SyncClock() {
  Command([&] {
    tool_->SynchronizeClock();
    ShowStatusText("Посл. синхр. часов: " + tool_->StatusData().Text(TStatusData::kLastSync));
  });
}

void TBDMainForm::WriteTable() {
  Command([&] {
    grid_.BuildTable(tool_->Table());
    tool_->WriteTaskTable();
    ShowStatusText("Таблица заданий записана");
  });
}

void TBDMainForm::ReadTable() {
  Command([&] {
    tool_->ReadStatus();
    if (!tool_->ReadTaskTable()) throw EMemoryToolError(kNoReplyText);
    grid_.FillFromTable(tool_->Table());
    FillWidget();
    RefreshTaskInfo();
    ShowStatusText("Таблица заданий прочитана");
  });
}

void TBDMainForm::Launch() {
  Command([&] {
    grid_.BuildTable(tool_->Table());
    const bool launched = tool_->Launch();
    RefreshTaskInfo();
    if (launched) ShowStatusText("Прибор переведён в режим выполнения заданий");
  });
}

void TBDMainForm::RefreshTaskInfo() {
  CellSelected(std::max(0, table_->currentRow()), std::max(0, table_->currentColumn()));
}

void TBDMainForm::ReadTrack() {
  // The read-out replaces the sheet: an unsaved log there is not lost without asking.
  if (!busy_ && SheetHoldsData(sheet_) &&
      !questions_.AskYesNo("Предупреждение", kReplaceDataQuestion))
    return;
  Command([&] {
    const int row = std::max(0, table_->currentRow());
    // Where the task lies and whether it ran is the tool's: its own table, read now,
    // whatever the grid says since an edit.
    tool_->ReadStatus();
    if (!tool_->ReadTaskTable()) throw EMemoryToolError(kNoReplyText);
    tool_->Table().AllocatePages();
    RefreshTaskInfo();
    if (row >= tool_->Table().Count())
      throw EMemoryToolError("В приборе нет задания " + std::to_string(row + 1));
    bool differs = true;
    try {
      TTaskDefTable shown;
      grid_.BuildTable(shown);
      differs = row >= shown.Count() || !SameTask(shown.Tasks(row), tool_->Table().Tasks(row));
    } catch (const EKestError&) {
    }
    clock_timer_->stop();
    cancel_ = false;
    Action("aStopRead")->setEnabled(true);
    ReadoutOptions options;
    options.burst_file = burst_dir_ + "/recivedBurstMode.track";
    options.status = [this](const std::string& text) { ShowStatusText(text); };
    options.progress = [this](int64_t, int64_t) { return !cancel_; };
    options.tool = ToolStringText(logger_);
    struct After {
      TBDMainForm& form;
      ~After() {
        form.Action("aStopRead")->setEnabled(false);
        form.clock_timer_->start(18);
        if (form.sheet_changed_) form.sheet_changed_();
      }
    } after{*this};
    TMemoryReadout readout(*tool_, logger_.Channels(), sheet_);
    ReadoutResult r = readout.ReadTrack(row, options);
    std::string text =
        r.BurstLines > 0 ? "Записано в " + options.burst_file + ": " + std::to_string(r.BurstLines)
                         : "Прочитано строк: " + std::to_string(r.Rows);
    if (differs) {
      const std::string note = "Задание " + std::to_string(row + 1) +
                               " прочитано по таблице прибора: в таблице на экране оно другое";
      text += ". " + note;
      questions_.ShowWarning(note);
    }
    ShowStatusText(text);
  });
}

void TBDMainForm::PassThrough(bool with_coefficients) {
  Command([&] { tool_->PassThrough(with_coefficients); });
}

void TBDMainForm::Standby() {
  Command([&] { tool_->Standby(); });
}

void TBDMainForm::AddTask() {
  if (busy_) return;
  if (!grid_.AddTask(local_time_ ? local_time_() : ToolTime{})) return;
  FillWidget();
}

void TBDMainForm::DeleteTask() {
  if (busy_) return;
  if (grid_.DeleteTask()) FillWidget();
}

void TBDMainForm::ShowCoefficients() {
  if (busy_) return;
  if (!coef_form_) {
    coef_form_ = std::make_unique<TCoefForm>(*tool_, questions_, burst_dir_, local_time_, this);
    PlaceNextTo(*coef_form_, *this);
    coef_form_->show();
    Command([&] { coef_form_->ReadFromTool(); });
  }
  coef_form_->show();
  coef_form_->raise();
}

void TBDMainForm::ShowInfo(bool show) {
  if (show && !info_->isVisible()) PlaceNextTo(*info_, *this);
  info_->setVisible(show);
  Action("aInfo")->setChecked(show);
}

// ---------------------------------------------------------------------------------
// The grid

void TBDMainForm::FillWidget() {
  filling_ = true;
  table_->setRowCount(grid_.TaskCount());
  for (int row = 0; row < grid_.TaskCount(); ++row) {
    for (int c = 0; c < TTaskGrid::kColumnCount; ++c) {
      QTableWidgetItem* item = table_->item(row, c);
      if (!item) table_->setItem(row, c, item = new QTableWidgetItem);
      // The number is the row's; the mode changes by a click.
      std::string text = c == TTaskGrid::kNumber ? std::to_string(row + 1) : grid_.Cell(c, row);
      item->setText(QString::fromStdString(text));
      if (c <= TTaskGrid::kMode) item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      if (c == TTaskGrid::kMode) item->setIcon(ModeIcon(text != "1"));
      item->setTextAlignment(c >= TTaskGrid::kPressure ? Qt::AlignRight | Qt::AlignVCenter
                                                       : Qt::AlignCenter);
    }
  }
  filling_ = false;
}

void TBDMainForm::EditCell(int row, int column, const std::string& text) {
  if (row < 0 || row >= grid_.TaskCount() || column < 0 || column >= TTaskGrid::kColumnCount)
    return;
  grid_.SetCell(column, row, text);
  std::string problem = grid_.CheckCell(column, row);
  if (problem.empty() && (column == TTaskGrid::kStart || column == TTaskGrid::kEnd))
    problem = grid_.CheckTable();
  ShowError(problem, 0);
  CellSelected(row, column);
}

void TBDMainForm::CellSelected(int row, int column) {
  TTaskDefTable preview;
  try {
    grid_.BuildTable(preview);
    preview.AllocatePages();
    for (int k = 0; k < std::min(preview.Count(), tool_->Table().Count()); ++k)
      preview.Tasks(k).Status = tool_->Table().Tasks(k).Status;
    info_->ShowMemoryRows(TTaskGrid::MemoryRows(preview, row, column));
  } catch (const EKestError&) {
    info_->ShowMemoryRows(TTaskGrid::MemoryRows(preview, -1, column));
  }
}

void TBDMainForm::closeEvent(QCloseEvent* event) {
  if (busy_) {
    cancel_ = true;
    event->ignore();
    return;
  }
  info_->close();
  QMainWindow::closeEvent(event);
  if (OnClosed) OnClosed();
}

}  // namespace kest
