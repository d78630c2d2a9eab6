#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "session/installation_folders.h"
#include "temp_dir.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

void Touch(const std::string& path, const std::string& text = "") { std::ofstream(path) << text; }

using test::Slurp;

// A template with what a root needs: the System class, the module folder and the
// empty folders of an installation.
std::string MakeTemplate(const TempDir& tmp) {
  const std::string t = tmp.File("template");
  for (const char* folder : {"Data/Classes", "Data/Модули", "Research", "Logs", "PlugIns"})
    fs::create_directories(t + "/" + folder);
  Touch(t + "/Data/Classes/System", "shipped");
  Touch(t + "/Data/sensors", "shipped");
  return t;
}

// Sets or clears KEST_ROOT for one test and puts the old value back.
class RootVariable {
 public:
  explicit RootVariable(const char* value) {
    if (const char* old = std::getenv("KEST_ROOT")) old_ = old, had_ = true;
    if (value)
      ::setenv("KEST_ROOT", value, 1);
    else
      ::unsetenv("KEST_ROOT");
  }
  ~RootVariable() {
    if (had_)
      ::setenv("KEST_ROOT", old_.c_str(), 1);
    else
      ::unsetenv("KEST_ROOT");
  }

 private:
  std::string old_;
  bool had_ = false;
};

// The message of the EInstallationError that opening `root` raises ("" when none).
std::string OpenError(const std::string& template_dir, const std::string& root) {
  try {
    OpenInstallationRoot(template_dir, root, "/nonexistent.conf");
  } catch (const EInstallationError& e) {
    return e.what();
  }
  return "";
}

TEST(InstallationRoot, AnEmptyOrIncompleteRootIsSeededAndKeepsWhatItHas) {
  TempDir tmp;
  const std::string t = MakeTemplate(tmp);
  EXPECT_EQ(OpenInstallationRoot(t, tmp.File("fresh"), "/nonexistent.conf"), tmp.File("fresh"));
  EXPECT_EQ(Slurp(tmp.File("fresh/Data/Classes/System")), "shipped");
  EXPECT_TRUE(fs::is_directory(tmp.File("fresh/Research")));

  // A root with its own data but no classes: the crash of a run without "System".
  fs::create_directories(tmp.File("partial/Data"));
  Touch(tmp.File("partial/Data/sensors"), "edited");
  OpenInstallationRoot(t, tmp.File("partial"), "/nonexistent.conf");
  EXPECT_EQ(Slurp(tmp.File("partial/Data/sensors")), "edited");
  EXPECT_EQ(Slurp(tmp.File("partial/Data/Classes/System")), "shipped");
  // The write check leaves nothing behind.
  EXPECT_EQ(
      std::distance(fs::directory_iterator(tmp.File("partial/Logs")), fs::directory_iterator()), 0);
}

TEST(InstallationRoot, WithoutAnExplicitRootTheEnvironmentThenTheSystemFileDecide) {
  TempDir tmp;
  const std::string t = MakeTemplate(tmp);
  Touch(tmp.File("kest.conf"), "[General]\nRootDir=" + tmp.File("system") + "\n");
  {
    RootVariable env(tmp.File("env").c_str());
    EXPECT_EQ(OpenInstallationRoot(t, "", tmp.File("kest.conf")), tmp.File("env"));
  }
  RootVariable env(nullptr);
  EXPECT_EQ(OpenInstallationRoot(t, "", tmp.File("kest.conf")), tmp.File("system"));
  EXPECT_TRUE(fs::exists(tmp.File("system/Data/Classes/System")));
}

TEST(InstallationRoot, AnUnusableRootRaisesOneErrorNamingTheRootAndTheReason) {
  TempDir tmp;
  const std::string t = MakeTemplate(tmp);
  Touch(tmp.File("file"));
  TempDir bare;  // a template without classes cannot complete a root
  fs::create_directories(tmp.File("research-is-a-file"));
  Touch(tmp.File("research-is-a-file/Research"));
  struct Case {
    std::string template_dir, root, reason;
  } cases[] = {
      {t, "/proc", "запись невозможна"},
      {t, "/proc/kest", "не удаётся создать папку"},
      {t, tmp.File("file"), "это не папка"},
      {t, tmp.File("file/below"), "не удаётся создать папку"},
      {bare.Path().string(), tmp.File("empty"), "нет папки Data"},
      {t, tmp.File("research-is-a-file"), "нет папки Research"},
  };
  for (const Case& c : cases) {
    const std::string message = OpenError(c.template_dir, c.root);
    EXPECT_EQ(message.rfind("Папка установки \"" + c.root + "\" недоступна: " + c.reason, 0), 0u)
        << c.root << ": " << message;
  }
  // Classes without "System" (what made the program abort before).
  fs::create_directories(tmp.File("no-system/Data/Classes"));
  fs::create_directories(tmp.File("no-system/Data/Модули"));
  EXPECT_NE(OpenError(bare.Path().string(), tmp.File("no-system"))
                .find("нет класса System в папке Data/Classes"),
            std::string::npos);
}

TEST(InstallationRoot, TheSystemClassIsFoundWhateverTheCaseOfItsName) {
  TempDir tmp;
  const std::string t = MakeTemplate(tmp);
  fs::rename(t + "/Data/Classes/System", t + "/Data/Classes/SYSTEM");
  EXPECT_EQ(OpenError(t, tmp.File("root")), "");
}

// Where a program finds what was installed with it: under its own prefix when it
// sits in PREFIX/bin beside PREFIX/share/kest, else the build tree's template.
TEST(ProgramFiles, AnInstalledProgramFindsTheTemplateAndPlugInsUnderItsOwnPrefix) {
  TempDir tmp;
  const std::string prefix = tmp.File("opt/kest");
  fs::create_directories(prefix + "/bin");
  fs::create_directories(prefix + "/share/kest/Data");
  fs::create_directories(tmp.File("build/src/app"));
  fs::create_directories(tmp.File("bin"));  // a bin folder with no template beside it
  struct Case {
    std::string program;
    std::string template_dir;
    std::string plugins;
    bool installed;
  };
  const Case cases[] = {
      {prefix + "/bin/kest", prefix + "/share/kest", prefix + "/lib/kest/PlugIns", true},
      {prefix + "/bin/kest-tool", prefix + "/share/kest", prefix + "/lib/kest/PlugIns", true},
      {tmp.File("build/src/app/kest"), "/src/data", tmp.File("build/src/app/PlugIns"), false},
      {tmp.File("bin/kest"), "/src/data", tmp.File("bin/PlugIns"), false},
  };
  for (const Case& c : cases) {
    const ProgramFiles files = LocateProgramFiles(c.program, "/src/data");
    EXPECT_EQ(files.TemplateDir, c.template_dir) << c.program;
    EXPECT_EQ(files.ShippedPlugIns, c.plugins) << c.program;
    EXPECT_EQ(files.Installed, c.installed) << c.program;
  }
}

TEST(ProgramFiles, TheRunningProgramIsNamedByItsAbsolutePath) {
  const std::string self = RunningProgramPath("whatever");
  EXPECT_TRUE(fs::path(self).is_absolute()) << self;
  EXPECT_TRUE(fs::is_regular_file(self)) << self;
}

}  // namespace
}  // namespace kest
