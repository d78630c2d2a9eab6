#pragma once

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "run_command.h"
#include "temp_dir.h"

namespace kest::testing {

// A port nobody listens on now (the system's choice for a socket bound to port 0).
inline int FreePort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t n = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
  ::close(fd);
  return ntohs(a.sin_port);
}

inline bool PortOpen(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port));
  const bool open = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return open;
}

// A program run in the background in a process group of its own, its output in a
// file; killed with its group when the test lets go of it.
class Child {
 public:
  Child() = default;
  Child(const std::string& command, const std::string& output) { Start(command, output); }
  ~Child() { Kill(SIGKILL); }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  void Start(const std::string& command, const std::string& output) {
    pid_ = ::fork();
    if (pid_ == 0) {
      ::setpgid(0, 0);
      const std::string line = "exec " + command + " > '" + output + "' 2>&1";
      ::execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::setpgid(pid_, pid_);
  }
  // The exit code, or -1 when it did not end within `timeout_ms` or died of a signal.
  int Wait(int timeout_ms) {
    if (pid_ <= 0) return code_;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > end) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid_ = 0;
    code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return code_;
  }
  void Kill(int signal) {
    if (pid_ <= 0) return;
    ::kill(-pid_, signal);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = 0;
  }
  bool Running() const { return pid_ > 0; }

 private:
  pid_t pid_ = 0;
  int code_ = -1;
};

// A Mosquitto broker for one test on 127.0.0.1, set up by kest-tool witness-setup
// with unit "u1" (password "unit-pw") and viewer "v1" ("viewer-pw") on free ports.
class Broker {
 public:
  static bool Available() {
    return RunCommand("command -v mosquitto && command -v mosquitto_passwd", false).code == 0;
  }

  // `tls`: both listeners take TLS with a server certificate for 127.0.0.1 signed by
  // a test authority, CaFile().
  explicit Broker(bool start = true, bool tls = false) : port_(FreePort()), ws_port_(FreePort()) {
    // Started by root, the broker reads its folder as its own user.
    ::chmod(dir_.Path().c_str(), 0755);
    setup_ = RunCommand(std::string(KEST_TOOL_PATH) + " witness-setup '" + dir_.File("broker") +
                            "' --unit u1:unit-pw --unit u2:other-pw --viewer v1:viewer-pw "
                            "--bind 127.0.0.1 --port " +
                            std::to_string(port_) + " --ws-port " + std::to_string(ws_port_) +
                            (tls ? " --tls" : ""),
                        true);
    if (tls) MakeCertificates();
    if (start) Start();
  }

  std::string CaFile() const { return dir_.File("broker/certs/ca.crt"); }

  std::string Conf() const { return dir_.File("broker/mosquitto.conf"); }
  const CommandResult& Setup() const { return setup_; }
  int Port() const { return port_; }
  int WsPort() const { return ws_port_; }
  const TempDir& Dir() const { return dir_; }
  std::string Url(const std::string& user, const std::string& password,
                  const std::string& unit = "u1") const {
    return "mqtt://" + user + ":" + password + "@127.0.0.1:" + std::to_string(port_) + "/" + unit;
  }
  std::string UnitUrl() const { return Url("u1", "unit-pw"); }
  std::string ViewerUrl() const { return Url("v1", "viewer-pw"); }

  // Starts the broker and waits until it takes connections.
  bool Start() {
    process_.Start("mosquitto -c '" + Conf() + "'", dir_.File("broker.log"));
    for (int i = 0; i < 250; ++i) {
      if (PortOpen(port_)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  // Kills the broker at once, as a power cut would.
  void Kill() { process_.Kill(SIGKILL); }

 private:
  void MakeCertificates() {
    const std::string certs = dir_.File("broker/certs");
    std::filesystem::create_directories(certs);
    const std::string quiet = " > /dev/null 2>&1";
    const std::string c = "cd '" + certs + "' && ";
    RunCommand(c +
                   "openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.crt -days 2 "
                   "-subj /CN=kest-test-authority" +
                   quiet,
               false);
    RunCommand(c +
                   "openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr "
                   "-subj /CN=127.0.0.1" +
                   quiet,
               false);
    RunCommand(c +
                   "printf 'subjectAltName=IP:127.0.0.1\\n' > san.ext && openssl x509 -req "
                   "-in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -out server.crt "
                   "-days 2 -extfile san.ext" +
                   quiet,
               false);
    // The broker reads its key as its own user.
    RunCommand("chmod 755 '" + certs + "' && chmod 644 '" + certs + "'/*", false);
  }

  TempDir dir_;
  int port_;
  int ws_port_;
  CommandResult setup_;
  Child process_;
};

}  // namespace kest::testing
