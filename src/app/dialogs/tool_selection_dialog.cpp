#include "app/dialogs/tool_selection_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/dialogs/dialog_size.h"
#include "app/dialogs/logger_detection_window.h"
#include "link/logger.h"
#include "link/logger_module.h"
#include "link/module_classes.h"
#include "link/module_defs.h"
#include "support/settings.h"

namespace kest {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QButtonGroup* Radios(QWidget* owner, QVBoxLayout* into, const QString& title,
                     const QStringList& items) {
  auto* box = new QGroupBox(title, owner);
  auto* layout = new QHBoxLayout(box);
  auto* group = new QButtonGroup(owner);
  for (int i = 0; i < items.size(); ++i) {
    auto* b = new QRadioButton(items[i], box);
    group->addButton(b, i);
    layout->addWidget(b);
  }
  into->addWidget(box);
  return group;
}

void Fill(QComboBox* combo, const std::vector<std::string>& items) {
  QString current = combo->currentText();
  combo->clear();
  for (const std::string& item : items) combo->addItem(Q(item));
  combo->setCurrentIndex(combo->findText(current));
}

void SelectText(QComboBox* combo, const std::string& text) {
  int i = combo->findText(Q(text));
  if (i >= 0) combo->setCurrentIndex(i);
}

}  // namespace

TLoggerSelectionDlg::TLoggerSelectionDlg(TLogger& logger, Clock& clock,
                                         const TModuleClasses& classes, const TModuleDefs& defs,
                                         Settings& settings, std::string mode_key, QWidget* parent)
    : QDialog(parent),
      logger_(logger),
      clock_(clock),
      classes_(classes),
      defs_(defs),
      settings_(settings),
      mode_key_(std::move(mode_key)),
      rules_(classes, defs),
      memory_(ToolSelection::Load(settings, mode_key_)) {
  setWindowTitle("Выбор прибора");
  auto* layout = new QHBoxLayout(this);
  auto* loaded = new QGroupBox("Загруженные модули", this);
  lvModules = new QListWidget(loaded);
  (new QVBoxLayout(loaded))->addWidget(lvModules);
  layout->addWidget(loaded);

  auto* right = new QVBoxLayout;
  layout->addLayout(right);
  auto* main_form = new QFormLayout;
  cbMainModules = new QComboBox(this);
  main_form->addRow("Главный модуль", cbMainModules);
  right->addLayout(main_form);

  pModules = new QWidget(this);
  auto* base_form = new QFormLayout(pModules);
  base_form->setContentsMargins(0, 0, 0, 0);
  cbBaseModules = new QComboBox(pModules);
  base_form->addRow("Основной модуль", cbBaseModules);
  right->addWidget(pModules);

  panAdditionalModules = new QWidget(this);
  auto* more_form = new QFormLayout(panAdditionalModules);
  more_form->setContentsMargins(0, 0, 0, 0);
  cbMidModules = new QComboBox(panAdditionalModules);
  cbEndModules = new QComboBox(panAdditionalModules);
  more_form->addRow("Переходный модуль", cbMidModules);
  more_form->addRow("Приставка", cbEndModules);
  right->addWidget(panAdditionalModules);

  rgAuto = Radios(this, right, "Определение номера", {"Автоматическое", "Вручную"});
  SelDevice = Radios(this, right, "Тип модуля", {"Автономный", "Остальные"});
  SelDevice->button(1)->setChecked(true);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  auto* modules = buttons->addButton("&Модули...", QDialogButtonBox::ActionRole);
  right->addStretch();
  right->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (Load()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(modules, &QPushButton::clicked, this, [this] {
    TModuleBrowser(defs_, this).exec();
    FillLists();
  });
  connect(rgAuto, &QButtonGroup::idClicked, this, [this](int id) {
    memory_.AutoDetect = id == 0;
    FillLists();
    Select(memory_.Current());
  });
  connect(SelDevice, &QButtonGroup::idClicked, this, [this] { UpdateState(); });
  for (QComboBox* c : {cbMainModules, cbBaseModules, cbMidModules, cbEndModules})
    connect(c, &QComboBox::currentIndexChanged, this, [this] { UpdateState(); });

  rgAuto->button(memory_.AutoDetect ? 0 : 1)->setChecked(true);
  // The module panels keep their room while hidden: the dialog does not grow when a
  // main module shows them, and OK stays where it was.
  for (QWidget* panel :
       {static_cast<QWidget*>(pModules), static_cast<QWidget*>(panAdditionalModules)}) {
    QSizePolicy policy = panel->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    panel->setSizePolicy(policy);
  }
  FillLists();
  Select(memory_.Current());
  FillLoaded();
  FitToTitle(*this);
}

TLoggerSelectionDlg::~TLoggerSelectionDlg() { ToolSelection::Save(settings_, mode_key_, memory_); }

bool TLoggerSelectionDlg::Automatic() const { return rgAuto->checkedId() == 0; }

void TLoggerSelectionDlg::SetAutomatic(bool automatic) {
  rgAuto->button(automatic ? 0 : 1)->click();
}

void TLoggerSelectionDlg::FillLists() {
  Fill(cbMainModules, rules_.MainList());
  Fill(cbBaseModules, rules_.BaseList(Automatic()));
  Fill(cbMidModules, rules_.InterjacentList());
  Fill(cbEndModules, rules_.TerminalList());
  UpdateState();
}

void TLoggerSelectionDlg::Select(const ToolString& choice) {
  SelectText(cbMainModules, choice.Main);
  SelectText(cbBaseModules, choice.Base);
  SelectText(cbMidModules, choice.Interjacent);
  SelectText(cbEndModules, choice.Terminal);
  UpdateState();
}

ToolString TLoggerSelectionDlg::Choice() const {
  return {cbMainModules->currentText().toStdString(), cbBaseModules->currentText().toStdString(),
          cbMidModules->currentText().toStdString(), cbEndModules->currentText().toStdString()};
}

bool TLoggerSelectionDlg::CanAccept() const { return rules_.CanAccept(Choice()); }

void TLoggerSelectionDlg::UpdateState() {
  ToolString c = Choice();
  bool others = SelDevice->checkedId() == 1;
  pModules->setVisible(rules_.BaseVisible(c.Main));
  panAdditionalModules->setVisible(rules_.AdditionalVisible(c.Main, c.Base));
  for (QComboBox* combo : {cbBaseModules, cbMidModules, cbEndModules}) combo->setEnabled(others);
  ok_->setEnabled(CanAccept());
}

void TLoggerSelectionDlg::FillLoaded() {
  lvModules->clear();
  for (int i = 0; i < logger_.ModuleCount(); ++i) {
    const TLoggerModule* m = logger_.Modules(i);
    if (m->Kind != mkSystem) lvModules->addItem(Q(m->DisplayName));
  }
}

bool TLoggerSelectionDlg::Load(std::string* error) {
  ToolString choice = Choice();
  (Automatic() ? memory_.Automatic : memory_.Manual) = choice;
  try {
    LoadToolString(logger_, classes_, defs_, rules_.Effective(choice));
    if (Automatic()) {
      if (logger_.CanInitialize()) logger_.Initialize(true);
      if (!error) {
        // The numbers come from the powered tool; its modules keep their defaults
        // when the window is cancelled.
        TLoggerDetectionWindow detection(logger_, clock_, classes_, defs_, settings_, mode_key_,
                                         this);
        detection.exec();
      }
    }
  } catch (const std::exception& e) {
    logger_.RemoveToolModules();
    FillLoaded();
    if (error) {
      *error = e.what();
    } else {
      QMessageBox::critical(this, "Ошибка", QString::fromUtf8(e.what()));
    }
    return false;
  }
  FillLoaded();
  return true;
}

TModuleBrowser::TModuleBrowser(const TModuleDefs& defs, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Модули");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Модуль", this));
  auto* list = new QListWidget(this);
  for (int i = 0; i < defs.Count(); ++i) list->addItem(Q(defs.Items(i).DisplayName()));
  layout->addWidget(list);
  auto* close = new QPushButton("Закрыть", this);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(close);
  FitToTitle(*this);
}

}  // namespace kest
