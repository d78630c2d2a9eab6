// kest: the recorder ("kest", "kest REC") and the curve editor ("kest EDIT [file]").
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>

#include "app/app_environment.h"
#include "app/command_line.h"
#include "app/kest_application.h"
#include "app/main_window.h"
#include "app/port_list.h"
#include "app/qt_settings.h"
#include "app/single_instance.h"
#include "link/port_device.h"
#include "session/installation_folders.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "support/clock.h"
#include "support/diagnostic_log.h"

namespace {

// The installation template: installed next to the program (../share/kest), else
// the source tree's data folder the program was built from.
std::string TemplateDir(const std::string& program) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path installed = fs::path(program).parent_path() / ".." / "share" / "kest";
  if (fs::is_directory(installed / "Data", ec)) return installed.lexically_normal().string();
  return KEST_DEFAULT_TEMPLATE;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kest;
  std::string program = std::filesystem::absolute(argv[0]).string();
  try {
    Diag().Open(DefaultDiagnosticLogPath(program), program);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  KestApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");  // number text uses "." whatever the desktop's locale
  QTranslator qt_ru;
  if (qt_ru.load("qtbase_ru", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) app.installTranslator(&qt_ru);

  std::vector<std::string> args(argv + 1, argv + argc);
  std::string line;
  for (int i = 0; i < argc; ++i) line += (i ? " " : "") + std::string(argv[i]);
  Diag().Note("Command line = " + line);
  CommandLine command = ParseCommandLine(args);
  if (!command.Valid()) {
    QMessageBox::critical(nullptr, "Ошибка", QString::fromStdString(command.Error));
    Diag().Close();
    return 1;
  }
  Diag().SetTag(ModeLogTag(command.Mode));

  std::unique_ptr<SingleInstanceLock> lock;
  if (command.Mode == AppMode::amRecorder) {
    lock = std::make_unique<SingleInstanceLock>("LogRecorder");
    if (!lock->Acquired()) {
      Diag().Close();
      return 0;  // a recorder is running already
    }
  }

  int rc = 0;
  {
    std::unique_ptr<AppEnvironment> env;
    try {
      std::string root = ResolveInstallationRoot(TemplateDir(program));
      // The plug-ins built with the program (the example) join the plug-ins folder.
      const std::string shipped = (std::filesystem::path(program).parent_path() / "PlugIns").string();
      try {
        SeedRoot(shipped, root + "/PlugIns");
      } catch (const std::exception& e) {
        Diag().Error(e.what());
      }
      env = std::make_unique<AppEnvironment>(root);
    } catch (const std::exception& e) {
      Diag().Error(e.what());
      QMessageBox::critical(nullptr, "Ошибка", "Программа не установлена корректно");
      Diag().Close();
      return 1;
    }
    std::shared_ptr<sim::ToolSimulator> simulator;
    if (command.Mode == AppMode::amRecorder) {
      simulator = std::make_shared<sim::ToolSimulator>(env->Classes(), sim::SimSettings{}, SystemClock());
      sim::RegisterSimPort(simulator);
    }
    QtSettings settings;
    {
      TMainForm window(*env, command.Mode, settings, simulator);
      window.show();
      QTimer::singleShot(0, &window, [&window, file = command.FileName] { window.DeferredStart(file); });
      // For looking at the window on a machine without screen tools: KEST_GRAB=file.png
      // writes what the window shows into the file once a second.
      QTimer grab;
      if (const char* grab_file = std::getenv("KEST_GRAB"); grab_file && *grab_file) {
        QObject::connect(&grab, &QTimer::timeout, &window,
                         [&window, path = QString::fromLocal8Bit(grab_file)] { window.grab().save(path); });
        grab.start(1000);
      }
      rc = app.exec();
    }
    settings.Sync();
    if (simulator) UnregisterPortName(kSimPortName);
  }
  Diag().Close();
  return rc;
}
