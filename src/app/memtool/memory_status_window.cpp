#include "app/memtool/memory_status_window.h"

#include <QHeaderView>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

#include "link/logger.h"
#include "link/logger_channel.h"
#include "link/logger_sensor.h"
#include "memtool/status_data.h"

namespace kest {

namespace {

void SetRows(QTableWidget* grid, const std::vector<std::pair<std::string, std::string>>& rows) {
  grid->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    auto cell = [&](int c, const std::string& text) {
      QTableWidgetItem* item = grid->item(r, c);
      if (!item) grid->setItem(r, c, item = new QTableWidgetItem);
      item->setText(QString::fromStdString(text));
    };
    cell(0, rows[static_cast<size_t>(r)].first);
    cell(1, rows[static_cast<size_t>(r)].second);
  }
}

// "0.###": up to three decimals, no trailing zeros.
std::string Short(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  std::string s = buf;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

}  // namespace

TStatusForm::TStatusForm(TLogger& logger, const TStatusData& data, QWidget* parent)
    : QWidget(parent, Qt::Tool), logger_(logger), data_(data) {
  setWindowTitle("Информация");
  setObjectName("StatusForm");
  tabs_ = new QTabWidget(this);
  tool_ = MakeGrid("Параметр:", "Значение:");
  memory_ = MakeGrid("Параметр:", "Значение:");
  channels_ = MakeGrid("Канал:", "Значение:");
  tabs_->addTab(tool_, "Прибор");
  tabs_->addTab(memory_, "Менеджер памяти");
  tabs_->addTab(channels_, "Каналы");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(tabs_);
  resize(330, 280);
  StatusChanged();
  ShowMemoryRows({{"Время начала", "не определено"},
                  {"Время окончания", "не определено"},
                  {"Первая страница", "нет"},
                  {"Последняя страница", "нет"},
                  {"Замеров", "нет"},
                  {"Статус задания", "не выполнено"}});
  refresh_ = new QTimer(this);
  connect(refresh_, &QTimer::timeout, this, [this] {
    if (isVisible() && tabs_->currentWidget() == channels_) RefreshChannels();
  });
  refresh_->start(250);
}

QTableWidget* TStatusForm::MakeGrid(const char* first, const char* second) {
  auto* grid = new QTableWidget(0, 2, this);
  grid->setHorizontalHeaderLabels({QString::fromUtf8(first), QString::fromUtf8(second)});
  grid->verticalHeader()->hide();
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->setColumnWidth(0, 160);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->verticalHeader()->setDefaultSectionSize(20);
  return grid;
}

void TStatusForm::StatusChanged() {
  std::vector<std::pair<std::string, std::string>> rows;
  for (int r = 0; r < TStatusData::kRowCount; ++r)
    rows.emplace_back(TStatusData::RowTitle(r), data_.Text(r));
  SetRows(tool_, rows);
  RefreshChannels();
}

void TStatusForm::ShowMemoryRows(const std::vector<std::pair<std::string, std::string>>& rows) {
  SetRows(memory_, rows);
}

void TStatusForm::RefreshChannels() {
  std::vector<std::pair<std::string, std::string>> rows;
  if (data_.Mode() == TStatusData::kWithCoefficients) {
    for (int i = 0; i < logger_.Channels().Count(); ++i) {
      TLoggerChannel* c = logger_.Channels().Items(i);
      if (c->Location == TChannelLocation::Logger && c->Recordable)
        rows.emplace_back(c->Name(), Short(c->Value));
    }
  } else {
    for (int i = 0; i < logger_.Sensors().Count(); ++i) {
      TLoggerSensor* s = logger_.Sensors().Items(i);
      if (s->Location == TSensorLocation::Logger)
        rows.emplace_back(s->Name(), std::to_string(s->Value));
    }
  }
  SetRows(channels_, rows);
}

}  // namespace kest
