// kest: the recorder ("kest", "kest REC") and the curve editor ("kest EDIT [file]").
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/core/app_environment.h"
#include "app/core/command_line.h"
#include "app/core/port_list.h"
#include "app/core/single_instance.h"
#include "app/dialogs/dialog_questions.h"
#include "app/editor/editor_form.h"
#include "app/kest_application.h"
#include "app/main_window/main_window.h"
#include "app/qt_settings.h"
#include "app/recorder/recorder_form.h"
#include "link/port_device.h"
#include "session/installation_folders.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "support/clock.h"
#include "support/diagnostic_log.h"
#include "support/fatal_error.h"

namespace {

// The plug-ins built with the program go into the root's plug-ins folder, replacing
// older copies so that an update reaches installations seeded before it. Each is
// written beside its target and renamed over it: a program that has the old one
// loaded keeps its mapping.
void InstallShippedPlugIns(const std::string& shipped, const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (fs::directory_iterator it(shipped, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().extension() != ".so") continue;
    const fs::path target = fs::path(folder) / it->path().filename();
    std::error_code copy_ec;
    if (fs::exists(target, copy_ec) &&
        fs::last_write_time(target, copy_ec) >= it->last_write_time(copy_ec))
      continue;
    const fs::path temporary = target.string() + ".new";
    fs::copy_file(it->path(), temporary, fs::copy_options::overwrite_existing, copy_ec);
    if (!copy_ec) fs::rename(temporary, target, copy_ec);
    if (copy_ec) kest::Diag().Error("Plug-in " + target.string() + ": " + copy_ec.message());
  }
}

// The installation root of this run, completed from the template and checked, with
// the plug-ins built with the program.
std::string OpenRoot(const kest::ProgramFiles& files) {
  const std::string root = kest::OpenInstallationRoot(files.TemplateDir);
  InstallShippedPlugIns(files.ShippedPlugIns, kest::InstallationFolders::FromRoot(root).PlugIns);
  return root;
}

// "--help" and "--version" print their text and end before anything else starts:
// no window, no diagnostic log, no installation root.
bool PrintInformation(int argc, char** argv) {
  const kest::CommandLine command =
      kest::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!command.Help && !command.Version) return false;
  const std::string text = command.Help ? kest::HelpText() : kest::VersionText(KEST_VERSION_TEXT);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return true;
}

// The error box, where someone can see it: on the offscreen and minimal platforms
// a modal box would wait for ever for a click that cannot come.
void ShowErrorBox(const QString& text, const QString& detail = {}) {
  const QString platform = QGuiApplication::platformName();
  if (platform == "offscreen" || platform == "minimal") return;
  QMessageBox box(QMessageBox::Critical, "Ошибка", text);
  box.setInformativeText(detail);
  box.exec();
}

// A box telling something, under the same conditions as the error box.
void ShowInfoBox(const QString& text) {
  const QString platform = QGuiApplication::platformName();
  if (platform == "offscreen" || platform == "minimal") return;
  QMessageBox box(QMessageBox::Information, "Регистратор", text);
  box.exec();
}

// Whether Qt can open a window here: a platform chosen, or an X or Wayland display.
bool DisplayAvailable() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

// Ends the program on an error nobody handled: "ClassName: message" on stderr and
// in the diagnostic log, and the error box with the message under `headline`.
// Returns the exit status.
int StopOnError(const std::exception_ptr& error, const QString& headline) {
  const std::string text = kest::FatalErrorText(error);
  kest::ReportFatalError(text);
  QString message = QString::fromStdString(text);
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    message = QString::fromStdString(e.what());
  } catch (...) {
  }
  ShowErrorBox(headline, message);
  kest::Diag().Close();
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kest;
  InstallTerminateHandler();  // an exception leaving a thread is logged before the abort
  if (PrintInformation(argc, argv)) return 0;
  const std::string program = RunningProgramPath(argc > 0 ? argv[0] : nullptr);
  const ProgramFiles files = LocateProgramFiles(program, KEST_DEFAULT_TEMPLATE);
  try {
    // An installed program never writes beside itself (a system folder when run by
    // the superuser): its log is the user's own.
    Diag().Open(files.Installed ? UserDiagnosticLogPath() : DefaultDiagnosticLogPath(program),
                program);
  } catch (...) {
    ReportFatalError(FatalErrorText(std::current_exception()));
    return 1;
  }
  CommandLine command;
  {
    std::string line;
    for (int i = 0; i < argc; ++i) line += (i ? " " : "") + std::string(argv[i]);
    Diag().Note("Command line = " + line);
    command = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  }
  if (!command.Valid()) {
    // Told on stderr always; in a box only where a display can show one (without
    // one, making the application object would abort the program).
    std::fprintf(stderr, "%s\n", command.Error.c_str());
    if (DisplayAvailable()) {
      KestApplication app(argc, argv);
      QtRussianTranslation qt_texts;
      ShowErrorBox(QString::fromStdString(command.Error));
    }
    Diag().Close();
    return 1;
  }

  KestApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");  // number text uses "." whatever the desktop's locale
  QtRussianTranslation qt_texts;

  std::unique_ptr<SingleInstanceLock> lock;
  try {
    Diag().SetTag(ModeLogTag(command.Mode));
    if (command.Mode == AppMode::amRecorder) {
      lock = std::make_unique<SingleInstanceLock>("LogRecorder");
      if (!lock->Acquired()) {
        // The running one comes to the front (it is this user's: the lock is), and this
        // start says why it ends.
        const bool knocked = lock->Knock();
        std::fprintf(stderr, "%s\n", kRecorderRunningText);
        Diag().Note(std::string("Recorder already running (") + lock->Path() +
                    (knocked ? "), asked to show itself" : ")"));
        ShowInfoBox(kRecorderRunningText);
        Diag().Close();
        return 1;
      }
    }
  } catch (...) {
    return StopOnError(std::current_exception(), "Программа завершена из-за ошибки");
  }

  std::unique_ptr<AppEnvironment> env;
  try {
    Diag().Note("Installation template = " + files.TemplateDir);
    env = std::make_unique<AppEnvironment>(OpenRoot(files));
  } catch (...) {
    return StopOnError(std::current_exception(), "Программа не установлена корректно");
  }

  // No exception leaves main: what the windows throw while they are made ends the
  // program here, with the application still there to show it.
  int rc = 0;
  try {
    std::shared_ptr<sim::ToolSimulator> simulator;
    if (command.Mode == AppMode::amRecorder) {
      simulator =
          std::make_shared<sim::ToolSimulator>(env->Classes(), sim::SimSettings{}, SystemClock());
      sim::RegisterSimPort(simulator);
    }
    QtSettings settings;
    {
      DialogQuestions questions(*env, settings, SystemClock(), ModeKey(command.Mode));
      std::unique_ptr<TMainForm> form;
      if (command.Mode == AppMode::amRecorder)
        form = std::make_unique<TRecorderForm>(*env, settings, SystemClock(), questions, simulator);
      else
        form = std::make_unique<TEditorForm>(*env, settings, questions);
      TMainForm& window = *form;
      questions.SetWindow(&window);
      window.show();
      QTimer::singleShot(0, &window,
                         [&window, file = command.FileName] { window.DeferredStart(file); });
      // A second start knocks: the window comes to the front.
      std::unique_ptr<QSocketNotifier> knocks;
      if (lock && lock->KnockFd() >= 0) {
        knocks = std::make_unique<QSocketNotifier>(lock->KnockFd(), QSocketNotifier::Read);
        QObject::connect(knocks.get(), &QSocketNotifier::activated, &window, [&window, &lock] {
          if (!lock->TakeKnocks()) return;
          if (window.isMinimized()) window.showNormal();
          window.raise();
          window.activateWindow();
        });
      }
      // For looking at the window on a machine without screen tools: KEST_GRAB=file.png
      // writes what the window shows into the file once a second.
      QTimer grab;
      if (const char* grab_file = std::getenv("KEST_GRAB"); grab_file && *grab_file) {
        QObject::connect(
            &grab, &QTimer::timeout, &window,
            [&window, path = QString::fromLocal8Bit(grab_file)] { window.grab().save(path); });
        grab.start(1000);
      }
      rc = app.exec();
    }
    settings.Sync();
    if (simulator) UnregisterPortName(kSimPortName);
  } catch (...) {
    return StopOnError(std::current_exception(), "Программа завершена из-за ошибки");
  }
  env.reset();
  Diag().Close();
  return rc;
}
