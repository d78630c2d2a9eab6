#include "app/dialogs/edit_tracks_form.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <limits>

#include "log/log_sheet.h"
#include "support/settings.h"
#include "viewer/widgets/log_viewer.h"

namespace kest {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TEditTracksForm::TEditTracksForm(TLogViewer& viewer, UndoStack& undo, Settings& settings,
                                 QWidget* parent)
    : QDialog(parent, Qt::Tool), viewer_(viewer), undo_(undo), settings_(settings) {
  setObjectName("EditTracksForm");
  setWindowTitle("Редактирование данных");
  params_ = new QComboBox(this);
  params_->setObjectName("cbParams");
  params_->setMinimumContentsLength(24);
  args_ = new QSpinBox(this);
  args_->setObjectName("seArgs");
  args_->setKeyboardTracking(false);  // a typed argument counts once it is complete
  arg_text_ = new QLabel(this);
  arg_text_->setObjectName("lM");
  arg_text_->setMinimumWidth(90);
  value_ = new QLineEdit(this);
  value_->setObjectName("eValue");
  value_->installEventFilter(this);
  null_ = new QCheckBox("Отсутствие значения", this);
  null_->setObjectName("cbNull");
  message_ = new QLabel(this);
  message_->setObjectName("lMessage");
  close_ = new QPushButton("Закрыть", this);
  close_->setObjectName("bbClose");
  close_->setAutoDefault(false);

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel("Кривая", this), 0, 0);
  grid->addWidget(params_, 0, 1, 1, 2);
  grid->addWidget(new QLabel("Аргумент", this), 1, 0);
  grid->addWidget(args_, 1, 1);
  grid->addWidget(arg_text_, 1, 2);
  grid->addWidget(new QLabel("Значение", this), 2, 0);
  grid->addWidget(value_, 2, 1, 1, 2);
  grid->addWidget(null_, 3, 1, 1, 2);
  grid->addWidget(message_, 4, 0, 1, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close_);
  grid->addLayout(buttons, 5, 0, 1, 3);
  grid->setColumnStretch(1, 1);

  connect(params_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!loading_) ChooseTrack(i);
  });
  connect(args_, &QSpinBox::valueChanged, this, [this](int a) {
    if (!loading_) ChooseArgument(a);
  });
  // Only what the user types: the field filled from the sample writes nothing.
  connect(value_, &QLineEdit::textEdited, this, [this](const QString& t) { ValueEdited(t); });
  connect(null_, &QCheckBox::clicked, this, [this](bool on) { NullClicked(on); });
  connect(close_, &QPushButton::clicked, this, &QWidget::close);
}

TEditTracksForm::~TEditTracksForm() = default;

void TEditTracksForm::Activate(std::string_view null_text) {
  TLogSheet* sheet = viewer_.Sheet();
  if (!sheet) return;
  null_text_ = std::string(null_text);  // may view null_text_ itself
  const TLogTrack* kept = core_ ? core_->Track() : nullptr;
  core_ = std::make_unique<EditTracks>(*sheet, undo_, null_text_);
  loading_ = true;
  params_->clear();
  for (const std::string& name : core_->TrackNames()) params_->addItem(Q(name));
  const int kept_index = kept ? sheet->IndexOf(kept) : -1;
  core_->SetTrack(kept_index >= 0
                      ? kept_index
                      : core_->TrackIndexOf(settings_.GetString(EditTracks::kSettingsPath,
                                                                EditTracks::kLastParamsKey),
                                            viewer_.FocusedTrack()));
  params_->setCurrentIndex(core_->TrackIndex());
  loading_ = false;
  core_->SetLimits(viewer_.SheetFirst(), viewer_.SheetLast());
  core_->SetArgument(viewer_.CursorPos());
  null_->setChecked(false);
  Reload();
}

void TEditTracksForm::Reload() {
  if (!core_) return;
  core_->EndTyping();
  loading_ = true;
  args_->setRange(core_->First(), core_->Last());
  args_->setSingleStep(std::max(1, core_->Step()));
  args_->setValue(core_->Argument());
  loading_ = false;
  ShowSample();
}

void TEditTracksForm::SaveSettings() {
  if (core_ && core_->Track())
    settings_.SetString(EditTracks::kSettingsPath, EditTracks::kLastParamsKey, core_->Parameter());
}

void TEditTracksForm::TracksChanged() {
  if (core_ && isVisible()) Activate(null_text_);
}

bool TEditTracksForm::event(QEvent* event) {
  // Back in the window after the cursor moved on the tablet: edit where it is now.
  if (event->type() == QEvent::WindowActivate && core_) Activate(null_text_);
  return QDialog::event(event);
}

void TEditTracksForm::hideEvent(QHideEvent* event) {
  SaveSettings();
  QDialog::hideEvent(event);
}

void TEditTracksForm::ChooseTrack(int index) {
  if (!core_) return;
  core_->SetTrack(index);
  Reload();  // the step may differ from track to track
}

void TEditTracksForm::ChooseArgument(int argument) {
  if (!core_) return;
  core_->SetArgument(argument);
  ShowSample();
}

void TEditTracksForm::ShowSample() {
  arg_text_->setText(Q(core_->ArgumentText()));
  const bool has = core_->HasSample();
  value_->setText(Q(core_->ValueText()));
  MarkValue(false);
  null_->setChecked(core_->IsNull());
  null_->setEnabled(has);
  value_->setEnabled(has && !null_->isChecked());
  message_->setText(has || !core_->Track() ? QString() : Q(EditTracks::kNoSampleMessage));
  viewer_.SetCursorPos(core_->Argument());
}

void TEditTracksForm::ValueEdited(const QString& text) {
  if (!core_) return;
  switch (core_->EnterText(text.toStdString())) {
    case EditTracks::Entry::Written:
      Written();
      [[fallthrough]];
    case EditTracks::Entry::Unchanged:
      MarkValue(false);
      break;
    case EditTracks::Entry::NotANumber:
      MarkValue(true);
      break;
    case EditTracks::Entry::NoSample:
      message_->setText(Q(EditTracks::kNoSampleMessage));
      break;
  }
}

void TEditTracksForm::NullClicked(bool on) {
  if (!core_) return;
  value_->setEnabled(!on);
  if (!on) return;
  try {
    core_->WriteNull();
  } catch (const EEditTracksError& e) {
    message_->setText(e.what());
    return;
  }
  value_->setText(Q(core_->NullText()));
  MarkValue(false);
  Written();
}

void TEditTracksForm::MarkValue(bool marked) {
  marked_ = marked;
  // A half-typed number stays in the field, shaded, until it reads as one.
  value_->setStyleSheet(marked ? "QLineEdit { background: #ffe0e0; }" : QString());
}

void TEditTracksForm::Written() {
  message_->clear();
  viewer_.Refresh();
}

bool TEditTracksForm::eventFilter(QObject* watched, QEvent* event) {
  // The window's own shortcuts (the main window's undo and redo) go before the
  // field's text undo: an undo here takes back the written value.
  if (watched == value_ &&
      (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
    const QKeySequence keys(static_cast<QKeyEvent*>(event)->keyCombination());
    for (QAction* a : actions())
      if (a->shortcut() == keys) {
        event->accept();
        if (event->type() == QEvent::KeyPress && a->isEnabled()) a->trigger();
        return true;
      }
  }
  if (watched == value_ && event->type() == QEvent::KeyPress && core_) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool far = key->modifiers() & Qt::ControlModifier;
    if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
      const bool up = key->key() == Qt::Key_Up;
      using M = EditTracks::Move;
      args_->setValue(core_->Moved(up ? (far ? M::FarUp : M::Up) : (far ? M::FarDown : M::Down)));
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace kest
