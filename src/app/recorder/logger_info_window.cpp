#include "app/recorder/logger_info_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMoveEvent>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/dialogs/dialog_size.h"
#include "link/logger.h"
#include "support/clock.h"
#include "support/settings.h"

namespace kest {

namespace {

constexpr int kIntervals[] = {0, 1, 2, 5, 10, 20, 50};
constexpr int kModuleListStartHeight = 60;
constexpr int kModuleListHeightStep = 4;

QString Text(const std::string& s) { return QString::fromStdString(s); }

// A disc for a module row's alive image.
QIcon Disc(const QColor& outline, const QColor& fill) {
  QPixmap p(12, 12);
  p.fill(Qt::transparent);
  QPainter painter(&p);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(outline);
  painter.setBrush(fill);
  painter.drawEllipse(1, 1, 10, 10);
  return QIcon(p);
}

// The alive image of a module row: a green disc, or a grey one for a silent module.
QIcon AliveIcon(bool alive) {
  static const QIcon icons[2] = {Disc(QColor(90, 90, 90), QColor(190, 190, 190)),
                                 Disc(QColor(0, 110, 0), QColor(40, 200, 40))};
  return icons[alive ? 1 : 0];
}

// Sets a cell's text, creating the cell when needed; numbers are right-aligned.
QTableWidgetItem* SetCell(QTableWidget* list, int row, int column, const QString& text,
                          bool number) {
  QTableWidgetItem* item = list->item(row, column);
  if (!item) {
    item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    list->setItem(row, column, item);
  }
  if (item->text() != text) item->setText(text);
  return item;
}

}  // namespace

TLoggerInfoWindow::TLoggerInfoWindow(TLogger& logger, Clock& clock, Settings& settings,
                                     const std::string& mode_key, QWidget* parent)
    : QWidget(parent, Qt::Tool), logger_(logger), settings_(settings), mode_key_(mode_key) {
  setObjectName("LoggerInfoWindow");
  setWindowTitle("Управление прибором");
  setMinimumWidth(kMinWidth);
  setMaximumWidth(kMaxWidth);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 0, 2, 0);
  layout->setSpacing(2);
  auto* menu_bar = new QMenuBar(this);
  layout->setMenuBar(menu_bar);

  pcPages = new QTabWidget(this);
  lvState = NewList({"Параметр", "Значение"});
  lvSensors = NewList({"Датчик", "Значение"});
  lvChannels = NewList({"Канал", "Значение"});
  pcPages->addTab(lvState, "Состояние");
  pcPages->addTab(lvSensors, "Датчики");
  pcPages->addTab(lvChannels, "Каналы");
  layout->addWidget(pcPages, 1);
  lvModules = NewList({"Модуль", "№", "Ток", "$"});
  lvModules->setObjectName("lvModules");
  lvModules->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  layout->addWidget(lvModules, 0);
  sbStatus = new QStatusBar(this);
  sbStatus->setSizeGripEnabled(false);
  layout->addWidget(sbStatus);
  lvState->setObjectName("lvState");
  lvSensors->setObjectName("lvSensors");
  lvChannels->setObjectName("lvChannels");
  // Channel captions end in the offset: keep both ends visible.
  lvChannels->setTextElideMode(Qt::ElideMiddle);

  QMenu* sensor_menu = BuildValueMenu(true);
  QMenu* channel_menu = BuildValueMenu(false);
  QMenu* view_menu = BuildViewMenu();
  menu_bar->addMenu(sensor_menu);
  menu_bar->addMenu(channel_menu);
  menu_bar->addMenu(view_menu);
  // The same menus on the lists' right button.
  auto context = [view_menu](QWidget* list, QMenu* own) {
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    if (own) {
      list->addActions(own->actions());
      auto* separator = new QAction(list);
      separator->setSeparator(true);
      list->addAction(separator);
    }
    list->addActions(view_menu->actions());
  };
  context(lvSensors, sensor_menu);
  context(lvChannels, channel_menu);
  context(lvState, nullptr);
  context(lvModules, nullptr);

  model_ = std::make_unique<LoggerInfoModel>(logger_, clock);
  model_->OnChange = [this](LoggerInfoModel::Change change) { ModelChanged(change); };
  ApplySettings(LoggerInfoSettings::Load(settings_, mode_key_));
  ModelChanged(LoggerInfoModel::Change::Layout);
  UpdateStatus();
  FitToTitle(*this);  // a stored width too narrow for the title grows

  tmTick = new QTimer(this);
  tmTick->setSingleShot(true);
  tmTick->setTimerType(Qt::PreciseTimer);
  connect(tmTick, &QTimer::timeout, this, [this] { Tick(); });
  tmTick->start(static_cast<int>(std::max<int64_t>(1, model_->TickDueInMs())));
}

TLoggerInfoWindow::~TLoggerInfoWindow() {
  tmTick->stop();
  CurrentSettings().Save(settings_, mode_key_);
  model_->OnChange = nullptr;
  model_.reset();
}

QTableWidget* TLoggerInfoWindow::NewList(const QStringList& headers) {
  auto* list = new QTableWidget(0, static_cast<int>(headers.size()), this);
  list->setHorizontalHeaderLabels(headers);
  list->verticalHeader()->hide();
  list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->setWordWrap(false);
  list->setShowGrid(false);
  list->setTextElideMode(Qt::ElideRight);
  list->horizontalHeader()->setHighlightSections(false);
  list->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  for (int c = 1; c < headers.size(); ++c)
    list->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Fixed);
  return list;
}

QAction* TLoggerInfoWindow::AddAction(QMenu* menu, const char* name, const QString& caption,
                                      bool checkable) {
  auto* action = menu->addAction(caption);
  action->setObjectName(name);
  action->setCheckable(checkable);
  return action;
}

QAction* TLoggerInfoWindow::Action(const char* name) const { return findChild<QAction*>(name); }

QMenu* TLoggerInfoWindow::BuildValueMenu(bool sensors) {
  const QString prefix = sensors ? "Sensor" : "Channel";
  auto* menu = new QMenu(sensors ? "Датчики" : "Каналы", this);
  struct Location {
    const char* name;
    const char* sensor_caption;
    const char* channel_caption;
    uint8_t bit;
  };
  const Location locations[] = {
      {"Service", "Сервисные датчики", "Сервисные каналы", LoggerInfoModel::kServiceBit},
      {"Ground", "Датчики панели", "Каналы панели", LoggerInfoModel::kGroundBit},
      {"Logger", "Датчики прибора", "Каналы прибора", LoggerInfoModel::kLoggerBit},
  };
  for (const Location& l : locations) {
    QAction* a = AddAction(menu, (prefix + l.name).toLatin1().constData(),
                           sensors ? l.sensor_caption : l.channel_caption, true);
    uint8_t bit = l.bit;
    connect(a, &QAction::triggered, this, [this, sensors, bit](bool on) {
      uint8_t filter = sensors ? model_->SensorFilter() : model_->ChannelFilter();
      filter = on ? (filter | bit) : (filter & ~bit);
      if (sensors)
        model_->SetSensorFilter(filter);
      else
        model_->SetChannelFilter(filter);
    });
  }
  menu->addSeparator();
  QMenu* intervals = menu->addMenu("Время обновления");
  auto* group = new QActionGroup(this);
  group->setExclusive(true);
  for (int seconds : kIntervals) {
    QString caption = seconds == 0 ? QString("Немедленно") : QString("%1 сек").arg(seconds);
    QAction* a = AddAction(intervals,
                           (prefix + "Interval" + QString::number(seconds)).toLatin1().constData(),
                           caption, true);
    a->setData(seconds);
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, sensors, seconds] {
      if (sensors)
        model_->SetSensorUpdateInterval(seconds);
      else
        model_->SetChannelUpdateInterval(seconds);
    });
  }
  (sensors ? sensor_intervals_ : channel_intervals_) = group;
  QAction* reset =
      AddAction(menu, (prefix + "Reset").toLatin1().constData(), "Сброс таймера", false);
  connect(reset, &QAction::triggered, this, [this, sensors] {
    if (sensors)
      model_->ResetSensorTimer();
    else
      model_->ResetChannelTimer();
  });
  return menu;
}

QMenu* TLoggerInfoWindow::BuildViewMenu() {
  auto* menu = new QMenu("Вид", this);
  QAction* grid = AddAction(menu, "ShowGrid", "Сетка", true);
  connect(grid, &QAction::triggered, this, [this](bool on) { SetShowGrid(on); });
  QMenu* font = menu->addMenu("Шрифт");
  font_sizes_ = new QActionGroup(this);
  font_sizes_->setExclusive(true);
  struct Size {
    const char* name;
    const char* caption;
    int points;
  };
  for (const Size& s : {Size{"FontSmall", "Мелкий", 8}, Size{"FontNormal", "Нормальный", 10},
                        Size{"FontLarge", "Крупный", 12}}) {
    QAction* a = AddAction(font, s.name, s.caption, true);
    a->setData(s.points);
    font_sizes_->addAction(a);
    int points = s.points;
    connect(a, &QAction::triggered, this, [this, points] { SetFontSize(points); });
  }
  font->addSeparator();
  QAction* bold = AddAction(font, "FontBold", "Жирный", true);
  connect(bold, &QAction::triggered, this, [this](bool on) { SetFontBold(on); });
  return menu;
}

void TLoggerInfoWindow::ApplySettings(const LoggerInfoSettings& stored) {
  if (stored.HasSize)
    resize(std::clamp(stored.Width, kMinWidth, kMaxWidth), std::max(stored.Height, 100));
  // A position on no screen (a monitor that is gone) would hide the window.
  if (stored.HasPosition && QGuiApplication::screenAt(QPoint(stored.Left + 20, stored.Top + 10))) {
    move(stored.Left, stored.Top);
    placed_from_settings_ = true;
  }
  model_->SetSensorUpdateInterval(stored.SensorUpdateInterval);
  model_->SetChannelUpdateInterval(stored.ChannelUpdateInterval);
  SetShowGrid(stored.ShowGrid);
  font_bold_ = stored.FontBold;
  SetFontSize(stored.FontSize);
}

LoggerInfoSettings TLoggerInfoWindow::CurrentSettings() const {
  LoggerInfoSettings s;
  s.HasPosition = s.HasSize = true;
  s.Left = pos().x();
  s.Top = pos().y();
  s.Width = width();
  s.Height = height();
  s.SensorUpdateInterval = model_->SensorUpdateInterval();
  s.ChannelUpdateInterval = model_->ChannelUpdateInterval();
  s.ShowGrid = ShowGrid();
  int points = lvState->font().pointSize();
  s.FontSize =
      font_size_ > 0 ? font_size_ : std::min(std::max(points, 0), LoggerInfoSettings::kMaxFontSize);
  s.FontBold = font_bold_;
  return s;
}

bool TLoggerInfoWindow::ShowGrid() const { return lvState->showGrid(); }

void TLoggerInfoWindow::SetShowGrid(bool on) {
  for (QTableWidget* list : {lvState, lvSensors, lvChannels, lvModules}) list->setShowGrid(on);
  SyncMenus();
}

void TLoggerInfoWindow::SetFontBold(bool bold) {
  font_bold_ = bold;
  SetFontSize(font_size_);
}

void TLoggerInfoWindow::SetFontSize(int points) {
  font_size_ = points;
  QFont font = QApplication::font();
  if (points > 0) font.setPointSize(points);
  font.setBold(font_bold_);
  const QFontMetrics metrics(font);
  for (QTableWidget* list : {lvState, lvSensors, lvChannels, lvModules}) {
    list->setFont(font);
    list->verticalHeader()->setDefaultSectionSize(metrics.height() + 4);
  }
  const int value_width = metrics.horizontalAdvance("-00000.00") + 8;
  for (QTableWidget* list : {lvState, lvSensors, lvChannels}) list->setColumnWidth(1, value_width);
  lvModules->setColumnWidth(1, metrics.horizontalAdvance("0000") + 10);
  lvModules->setColumnWidth(2, metrics.horizontalAdvance("Ток0") + 10);
  lvModules->setColumnWidth(3, metrics.horizontalAdvance("0000") + 10);
  FitModuleList();
  SyncMenus();
}

void TLoggerInfoWindow::SyncMenus() {
  if (!model_) return;
  auto check = [this](const char* name, bool on) {
    if (QAction* a = Action(name)) a->setChecked(on);
  };
  check("ShowGrid", ShowGrid());
  check("FontBold", font_bold_);
  for (QAction* a : font_sizes_->actions()) a->setChecked(a->data().toInt() == font_size_);
  for (QAction* a : sensor_intervals_->actions())
    a->setChecked(a->data().toInt() == model_->SensorUpdateInterval());
  for (QAction* a : channel_intervals_->actions())
    a->setChecked(a->data().toInt() == model_->ChannelUpdateInterval());
  check("SensorService", model_->SensorFilter() & LoggerInfoModel::kServiceBit);
  check("SensorGround", model_->SensorFilter() & LoggerInfoModel::kGroundBit);
  check("SensorLogger", model_->SensorFilter() & LoggerInfoModel::kLoggerBit);
  check("ChannelService", model_->ChannelFilter() & LoggerInfoModel::kServiceBit);
  check("ChannelGround", model_->ChannelFilter() & LoggerInfoModel::kGroundBit);
  check("ChannelLogger", model_->ChannelFilter() & LoggerInfoModel::kLoggerBit);
}

void TLoggerInfoWindow::ShowPage(int index) { pcPages->setCurrentIndex(index); }

void TLoggerInfoWindow::ModelChanged(LoggerInfoModel::Change change) {
  using C = LoggerInfoModel::Change;
  switch (change) {
    case C::Layout:
      FillState();
      FillModules();
      FillValues(lvSensors, model_->SensorRows(), true);
      FillValues(lvChannels, model_->ChannelRows(), true);
      SyncMenus();
      break;
    case C::SensorRows:
      FillValues(lvSensors, model_->SensorRows(), true);
      SyncMenus();
      break;
    case C::ChannelRows:
      FillValues(lvChannels, model_->ChannelRows(), true);
      SyncMenus();
      break;
    case C::State:
      FillState();
      break;
    case C::Modules:
      FillModules();
      break;
    case C::SensorValues:
      FillValues(lvSensors, model_->SensorRows(), false);
      break;
    case C::ChannelValues:
      FillValues(lvChannels, model_->ChannelRows(), false);
      break;
  }
}

void TLoggerInfoWindow::FillState() {
  const auto& rows = model_->StateRows();
  lvState->setRowCount(static_cast<int>(rows.size()));
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    SetCell(lvState, i, 0, Text(rows[static_cast<size_t>(i)].Caption), false);
    SetCell(lvState, i, 1, Text(rows[static_cast<size_t>(i)].Value), true);
  }
}

void TLoggerInfoWindow::FillModules() {
  const auto& rows = model_->ModuleRows();
  const int count = static_cast<int>(rows.size());
  const bool resized = lvModules->rowCount() != count;
  lvModules->setRowCount(count);
  for (int i = 0; i < count; ++i) {
    const LoggerInfoModel::ModuleRow& row = rows[static_cast<size_t>(i)];
    QTableWidgetItem* name = SetCell(lvModules, i, 0, Text(row.Name), false);
    name->setIcon(AliveIcon(row.Alive));
    name->setToolTip(Text(row.DisplayName));
    SetCell(lvModules, i, 1, QString::number(row.Number), true);
    SetCell(lvModules, i, 2, QString::number(row.Current), true);
    SetCell(lvModules, i, 3, QString::number(row.Packets), true);
  }
  if (resized) FitModuleList();
}

void TLoggerInfoWindow::FillValues(QTableWidget* list,
                                   const std::vector<LoggerInfoModel::ValueRow>& rows,
                                   bool captions) {
  const int count = static_cast<int>(rows.size());
  if (list->rowCount() != count) {
    list->setRowCount(count);
    captions = true;
  }
  for (int i = 0; i < count; ++i) {
    const LoggerInfoModel::ValueRow& row = rows[static_cast<size_t>(i)];
    if (captions) SetCell(list, i, 0, Text(row.Caption), false)->setToolTip(Text(row.Caption));
    SetCell(list, i, 1, Text(row.Value), true);
  }
}

void TLoggerInfoWindow::FitModuleList() {
  if (!lvModules) return;
  int needed = lvModules->horizontalHeader()->sizeHint().height() + 2 * lvModules->frameWidth();
  for (int i = 0; i < lvModules->rowCount(); ++i) needed += lvModules->rowHeight(i);
  int height = kModuleListStartHeight;
  while (height < needed) height += kModuleListHeightStep;
  lvModules->setFixedHeight(height);
}

void TLoggerInfoWindow::UpdateStatus() {
  QString text;
  if (!model_->Logger()) {
    text = "Нет прибора";
  } else {
    QString port = Text(logger_.PortName());
    if (!logger_.Active())
      text = QString("Порт %1 закрыт").arg(port);
    else if (logger_.Initialized())
      text = QString("Порт %1: прибор включен").arg(port);
    else
      text = QString("Порт %1: прибор выключен").arg(port);
  }
  if (sbStatus->currentMessage() != text) sbStatus->showMessage(text);
}

void TLoggerInfoWindow::Tick() {
  model_->Tick();
  UpdateStatus();
  int64_t due = model_->TickDueInMs();
  // At most 50 ms apart, so an injected clock that jumps is followed closely.
  if (due >= 0) tmTick->start(static_cast<int>(std::clamp<int64_t>(due, 1, 50)));
}

void TLoggerInfoWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (snapping_ || !isVisible()) return;
  QScreen* screen = this->screen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QRect frame = frameGeometry();
  ScreenRect snapped =
      SnapToEdges({frame.x(), frame.y(), frame.width(), frame.height()},
                  {area.x(), area.y(), area.width(), area.height()}, kSnapDistance);
  if (snapped.Left == frame.x() && snapped.Top == frame.y()) return;
  snapping_ = true;
  move(snapped.Left, snapped.Top);
  snapping_ = false;
}

}  // namespace kest
