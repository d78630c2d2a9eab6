// The office tools in the main windows' menus: the editor's "Сервис" (curve
// calculator, adding curves, the sheet's properties, past recordings, a memory run's
// log on depth, the analyst's depth matching, splicing, repeat control, step and
// filters) and the
// recorder's properties and past recordings under "Скважина".
#include <QMenuBar>
#include <filesystem>

#include "app/core/app_environment.h"
#include "app/core/recorder.h"
#include "app/dialogs/edit_tracks_form.h"
#include "app/dialogs/window_questions.h"
#include "app/editor/editor_form.h"
#include "app/office/curve_add_window.h"
#include "app/office/curve_calculator_window.h"
#include "app/office/depth_match_window.h"
#include "app/office/repeat_control_window.h"
#include "app/office/research_browser_window.h"
#include "app/office/sheet_properties_dialog.h"
#include "app/office/splice_window.h"
#include "app/office/step_filter_window.h"
#include "app/office/time_to_depth_window.h"
#include "app/recorder/recorder_form.h"
#include "log/log_parameters.h"
#include "log/log_sheet.h"
#include "session/installation_folders.h"
#include "session/log_document.h"
#include "session/recording_session.h"
#include "viewer/widgets/log_viewer.h"

namespace kest {

void TEditorForm::BuildOfficeMenu() {
  QMenu* menu = menuBar()->addMenu("Сервис");
  // After a change of tracks or samples: the tablet shows the tracks anew and the
  // log counts as modified.
  auto changed = [this] {
    RelinkLayout();
    viewer_->RaiseEvent(veColumns);
    viewer_->SetViewTop(viewer_->SheetFirst());
    SheetEdited();
    UpdateActions();
    if (EditTracksForm()) EditTracksForm()->TracksChanged();
  };
  auto add_curve = [this, changed] {
    TCurveAddWindow window(
        Sheet(), LogParameters(), questions_, FileOptions(),
        document_->FileName().empty()
            ? env_.Folders().ResearchBase
            : std::filesystem::path(document_->FileName()).parent_path().string(),
        this);
    window.OnAdded = changed;
    questions_.Exec(window);
  };
  connect(AddAction(menu, "aCalc", "Калькулятор кривых"), &QAction::triggered, this,
          [this, changed, add_curve] {
            if (calc_window_ == nullptr) {
              calc_window_ =
                  new TCalcTracksWindow(LogParameters(), questions_, env_.Folders().Calc, this);
              calc_window_->OnAddCurve = add_curve;
            }
            calc_window_->SetSheet(&Sheet(), changed, FileOptions().Las.NullValue);
            calc_window_->show();
            calc_window_->raise();
          });
  connect(AddAction(menu, "aAddCurve", "Добавление кривой..."), &QAction::triggered, this,
          add_curve);
  // The analyst's tools start in the open log's folder (another run of its research).
  auto log_folder = [this] {
    return document_->FileName().empty()
               ? env_.Folders().ResearchBase
               : std::filesystem::path(document_->FileName()).parent_path().string();
  };
  auto log_name = [this] {
    return std::filesystem::path(document_->FileName()).filename().string();
  };
  menu->addSeparator();
  connect(AddAction(menu, "aDepthMatch", "Увязка по глубине..."), &QAction::triggered, this,
          [this, changed, log_folder] {
            TDepthMatchWindow window(Sheet(), Undo(), questions_, FileOptions(), log_folder(),
                                     this);
            window.OnApplied = changed;
            questions_.Exec(window);
          });
  connect(AddAction(menu, "aSplice", "Сшивка..."), &QAction::triggered, this,
          [this, log_folder, log_name] {
            TSpliceWindow window(Sheet(), log_name(), questions_, FileOptions(), log_folder(),
                                 this);
            window.OnOpen = [this](const std::string& path) { OpenFile(path); };
            questions_.Exec(window);
          });
  connect(AddAction(menu, "aRepeatControl", "Контроль повторного замера..."), &QAction::triggered,
          this, [this, log_folder, log_name] {
            TRepeatControlWindow window(Sheet(), log_name(), questions_, FileOptions(),
                                        log_folder(), this);
            questions_.Exec(window);
          });
  connect(AddAction(menu, "aStepFilter", "Шаг и фильтры..."), &QAction::triggered, this,
          [this, changed] {
            TStepFilterWindow window(Sheet(), questions_, FileOptions().Las.NullValue, this);
            window.OnChanged = changed;
            window.OnTracksReplaced = [this] { ClearUndo(); };
            questions_.Exec(window);
          });
  menu->addSeparator();
  connect(AddAction(menu, "aProperties", "Свойства..."), &QAction::triggered, this, [this] {
    TSheetPropertiesDialog dialog(env_.Folders().Data, questions_, this);
    dialog.SetSheet(&Sheet(), false);
    questions_.Exec(dialog);
    if (dialog.SheetChanged()) SheetEdited();
  });
  connect(AddAction(menu, "aResearch", "Предыдущие записи..."), &QAction::triggered, this, [this] {
    TResearchBrowserWindow window(env_.Folders().ResearchBase, env_.Folders().Data, LogParameters(),
                                  env_.ResearchParameters(), questions_, FileOptions(), this);
    questions_.Exec(window);
  });
  connect(AddAction(menu, "aTimeToDepth", "Привязка к глубине..."), &QAction::triggered, this,
          [this] {
            TTimeToDepthWindow window(questions_, FileOptions(), DialogFolder("LoadDir"), this);
            window.OnOpen = [this](const std::string& path) { OpenFile(path); };
            questions_.Exec(window);
          });
}

void TRecorderForm::BuildOfficeActions(QMenu* menu) {
  menu->addSeparator();
  connect(AddAction(menu, "aProperties", "Свойства..."), &QAction::triggered, this, [this] {
    TSheetPropertiesDialog dialog(env_.Folders().Data, questions_, this);
    dialog.SetSheet(&Sheet(), Session().Recording());
    questions_.Exec(dialog);
  });
  connect(AddAction(menu, "aResearch", "Предыдущие записи..."), &QAction::triggered, this, [this] {
    TResearchBrowserWindow window(env_.Folders().ResearchBase, env_.Folders().Data, LogParameters(),
                                  env_.ResearchParameters(), questions_, FileOptions(), this);
    questions_.Exec(window);
  });
}

}  // namespace kest
