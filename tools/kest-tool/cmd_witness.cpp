// kest-tool witness: watches a run on the broker as an office viewer does and writes
// it as a log file. kest-tool witness-setup: a ready folder for the office's broker.
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "command.h"
#include "log/log_sheet.h"
#include "session/installation_folders.h"
#include "support/number_text.h"
#include "witness/witness_errors.h"
#include "witness/witness_receiver.h"
#include "witness/witness_settings.h"

namespace kest::tool {
namespace {

std::atomic<bool> g_stop{false};
extern "C" void OnStop(int) { g_stop.store(true); }

int Witness(const std::vector<std::string>& argv) {
  auto args = argv;
  std::string run = TakeOption(args, "--run");
  std::string out = TakeOption(args, "--out");
  const double seconds = TakeNumber(args, "--seconds", 0);
  ExpectPositional(args, 1);
  if (seconds < 0) throw UsageError("--seconds takes a positive number");
  const WitnessSettings settings = ParseWitnessUrl(args[0]);
  WitnessReceiver receiver(settings, run, [](const std::string& text) {
    std::fprintf(stderr, "notice: %s\n", text.c_str());
  });
  receiver.Connect(10000);
  g_stop = false;
  std::signal(SIGINT, OnStop);
  std::signal(SIGTERM, OnStop);
  const int64_t deadline =
      seconds > 0 ? WitnessReceiver::SteadyNowMs() + static_cast<int64_t>(seconds * 1000)
                  : INT64_MAX;
  while (!g_stop && !receiver.Run().Complete() && WitnessReceiver::SteadyNowMs() < deadline)
    receiver.Poll(100);
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  const WitnessRun& witnessed = receiver.Run();
  if (!out.empty()) {
    if (!witnessed.Header()) {
      std::fprintf(stderr, "no run seen: %s not written\n", out.c_str());
      return 1;
    }
    TLogSheet sheet;
    witnessed.BuildSheet(sheet);
    sheet.SaveToFile(out, "LS");
  }
  std::printf("rows %zu\n", witnessed.Rows().size());
  return 0;
}

// "NAME:PASSWORD"
std::pair<std::string, std::string> Credentials(const std::string& text, const char* option) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == text.size())
    throw UsageError(std::string(option) + " takes NAME:PASSWORD");
  std::string name = text.substr(0, colon);
  if (name.find_first_of(" \t\r\n") != std::string::npos)
    throw UsageError(std::string(option) + ": a user name holds no blanks");
  return {name, text.substr(colon + 1)};
}

std::vector<std::string> TakeAll(std::vector<std::string>& args, std::string_view name) {
  std::vector<std::string> values;
  for (std::string v; !(v = TakeOption(args, name)).empty();) values.push_back(v);
  return values;
}

bool RunPasswd(const std::vector<std::string>& argv) {
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void WriteText(const std::filesystem::path& path, const std::string& text, mode_t mode) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (!file) throw EWitnessError("Не удалось записать " + path.string());
  ::chmod(path.c_str(), mode);
}

// The page the broker serves over HTTP: shipped under share/kest/witness/www of the
// program's prefix.
std::string DefaultWww() {
  namespace fs = std::filesystem;
  fs::path prefix = fs::path(RunningProgramPath()).parent_path().parent_path();
  return (prefix / "share/kest/witness/www").string();
}

int WitnessSetup(const std::vector<std::string>& argv) {
  namespace fs = std::filesystem;
  auto args = argv;
  const auto units = TakeAll(args, "--unit");
  const auto viewers = TakeAll(args, "--viewer");
  const bool tls = TakeFlag(args, "--tls");
  const int port = static_cast<int>(TakeNumber(args, "--port", tls ? 8883 : 1883));
  const int ws_port = static_cast<int>(TakeNumber(args, "--ws-port", tls ? 8081 : 8080));
  std::string bind = TakeOption(args, "--bind");
  std::string www = TakeOption(args, "--www");
  ExpectPositional(args, 1);
  if (units.empty()) throw UsageError("--unit NAME:PASSWORD is needed");
  if (port < 1 || port > 65535 || ws_port < 1 || ws_port > 65535 || port == ws_port)
    throw UsageError("--port and --ws-port take two different ports 1..65535");
  if (www.empty()) www = DefaultWww();

  const fs::path dir = fs::absolute(args[0]);
  std::string acl =
      "# Who may do what (kest-tool witness-setup). A unit writes only its own topics;\n"
      "# viewers only read.\n";
  std::vector<std::pair<std::string, std::string>> users;
  for (const std::string& u : units) {
    auto [name, password] = Credentials(u, "--unit");
    if (std::string problem = UnitNameProblem(name); !problem.empty()) throw EWitnessError(problem);
    acl += "\nuser " + name + "\ntopic readwrite kest/" + name + "/#\n";
    users.emplace_back(name, password);
  }
  for (const std::string& v : viewers) {
    auto [name, password] = Credentials(v, "--viewer");
    acl += "\nuser " + name + "\ntopic read kest/#\n";
    users.emplace_back(name, password);
  }

  fs::create_directories(dir / "data");
  if (!fs::is_directory(www)) {
    // The broker will not start without its http_dir: a page that says what is missing.
    std::fprintf(stderr, "the witness page is not installed at %s; %s serves a note instead\n",
                 www.c_str(), (dir / "www").c_str());
    www = (dir / "www").string();
    fs::create_directories(www);
    WriteText(dir / "www/index.html",
              "<!doctype html><meta charset=\"utf-8\"><title>KEST</title>"
              "<p>Страница трансляции не установлена (share/kest/witness/www).</p>\n",
              0644);
  }
  const std::string listen = bind.empty() ? "" : " " + bind;
  const fs::path certs = dir / "certs";
  auto tls_lines = [&] {
    return "certfile " + (certs / "server.crt").string() + "\nkeyfile " +
           (certs / "server.key").string() + "\n";
  };
  std::string conf =
      "# The office's broker for the live witness (kest-tool witness-setup).\n"
      "# Start it with: mosquitto -c " +
      (dir / "mosquitto.conf").string() +
      "\n"
      "per_listener_settings false\n"
      "allow_anonymous false\n"
      "password_file " +
      (dir / "passwords").string() +
      "\n"
      "acl_file " +
      (dir / "acl").string() +
      "\n"
      "persistence true\n"
      "persistence_location " +
      (dir / "data").string() +
      "/\n"
      "# Larger messages are no witness messages.\n"
      "max_packet_size 1100000\n"
      "\n# MQTT: the recorders publish, kest-tool witness reads.\n"
      "listener " +
      std::to_string(port) + listen +
      "\n"
      "protocol mqtt\n" +
      (tls ? tls_lines() : "") +
      "\n# MQTT over WebSockets for the browsers; the page itself over HTTP too.\n"
      "listener " +
      std::to_string(ws_port) + listen +
      "\n"
      "protocol websockets\n"
      "http_dir " +
      www + "\n" + (tls ? tls_lines() : "");
  WriteText(dir / "mosquitto.conf", conf, 0644);
  WriteText(dir / "acl", acl, 0640);

  // The password file is made by the broker's own tool, so its hash is the one the
  // broker reads.
  const fs::path passwords = dir / "passwords";
  fs::remove(passwords);
  WriteText(passwords, "", 0600);
  for (const auto& [name, password] : users) {
    if (!RunPasswd({"mosquitto_passwd", "-b", passwords.string(), name, password}))
      throw EWitnessError(
          "mosquitto_passwd не смог записать пароль (установлен ли пакет mosquitto?)");
  }
  ::chmod(passwords.c_str(), 0600);
  // Started by root, the broker drops to its own user before it reads the password
  // file and the ACL and writes its data: the folder becomes that user's.
  if (::geteuid() == 0) {
    if (const passwd* broker = ::getpwnam("mosquitto")) {
      for (const fs::path& p : {dir, dir / "data", dir / "acl", passwords})
        if (::chown(p.c_str(), broker->pw_uid, broker->pw_gid) != 0)
          std::fprintf(stderr, "cannot give %s to the mosquitto user\n", p.c_str());
    }
  }
  std::printf("%s\n", (dir / "mosquitto.conf").string().c_str());
  if (tls)
    std::printf("put the broker's certificate and key in %s (server.crt, server.key)\n",
                certs.string().c_str());
  return 0;
}

}  // namespace

KEST_TOOL_COMMAND("witness", "URL [--run RUN|latest] [--out FILE.ls] [--seconds N]",
                  "watch a run on an MQTT broker (mqtt[s]://USER:PASS@HOST:PORT/UNIT) as the "
                  "office does, until it ends or for N seconds; prints \"rows N\" and writes "
                  "the run as a log file",
                  Witness);
KEST_TOOL_COMMAND("witness-setup",
                  "DIR --unit NAME:PASSWORD... --viewer NAME:PASSWORD... [--tls] [--port N] "
                  "[--ws-port N] [--bind ADDRESS] [--www DIR]",
                  "write a folder for the office's broker (mosquitto -c DIR/mosquitto.conf): "
                  "MQTT and WebSockets listeners, the page, passwords and who may publish",
                  WitnessSetup);

}  // namespace kest::tool
