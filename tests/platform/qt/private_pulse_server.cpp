#include "platform/qt/private_pulse_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace korimu::testing {

namespace {

bool commandExists(const char* name) {
  const std::string probe = std::string("command -v ") + name + " >/dev/null 2>&1";
  return std::system(probe.c_str()) == 0;
}

void sleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Waits for a child to end, killing it after `ms` milliseconds.
void reap(pid_t pid, int ms) {
  for (int waited = 0; waited < ms; waited += 10) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    sleepMs(10);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

}  // namespace

bool PrivatePulseServer::start(std::string* why, int sinkRate) {
  if (running()) return true;
  if (!commandExists("pulseaudio") || !commandExists("pactl")) {
    *why = "pulseaudio or pactl is not installed";
    return false;
  }
  char pattern[] = "/tmp/korimu-pulse-XXXXXX";
  if (!mkdtemp(pattern)) {
    *why = "cannot create a runtime folder";
    return false;
  }
  dir_ = pattern;
  pointClientsHere();
  const std::string sinkArg =
      "module-null-sink sink_name=korimu_test rate=" + std::to_string(sinkRate) +
      " format=s16le channels=2 norewinds=1";
  const std::string home = dir_;
  pid_ = fork();
  if (pid_ == 0) {
    setenv("HOME", home.c_str(), 1);
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 0);
    dup2(devnull, 1);
    dup2(devnull, 2);
    execlp("pulseaudio", "pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n",
           "--disallow-exit", "--log-target=stderr", ("--load=" + sinkArg).c_str(),
           "--load=module-native-protocol-unix", static_cast<char*>(nullptr));
    _exit(127);
  }
  if (pid_ < 0) {
    *why = "cannot fork";
    return false;
  }
  for (int waited = 0; waited < 10000; waited += 50) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      *why = "the pulseaudio server exited at start";
      return false;
    }
    if (run("pactl list short sinks 2>/dev/null").find("korimu_test") != std::string::npos) {
      return true;
    }
    sleepMs(50);
  }
  stop();
  *why = "the pulseaudio server did not answer within 10 s";
  return false;
}

void PrivatePulseServer::pointClientsHere() const {
  // Everything the server and the tools look up goes to the private folder.
  setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
  setenv("PULSE_RUNTIME_PATH", (dir_ + "/pulse").c_str(), 1);
  setenv("PULSE_SERVER", ("unix:" + dir_ + "/pulse/native").c_str(), 1);
}

void PrivatePulseServer::stop() {
  stopCapture();
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    reap(pid_, 3000);
    pid_ = -1;
  }
  if (!dir_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
    dir_.clear();
  }
}

std::string PrivatePulseServer::run(const std::string& command) const {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  std::array<char, 4096> chunk;
  size_t n;
  while ((n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0) out.append(chunk.data(), n);
  pclose(pipe);
  return out;
}

bool PrivatePulseServer::startCapture(const std::string& file, const std::string& format, int rate,
                                      int channels) {
  stopCapture();
  if (!commandExists("parec")) return false;
  const std::string formatArg = "--format=" + format;
  const std::string rateArg = "--rate=" + std::to_string(rate);
  const std::string channelsArg = "--channels=" + std::to_string(channels);
  capturePid_ = fork();
  if (capturePid_ == 0) {
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) _exit(127);
    dup2(fd, 1);
    execlp("parec", "parec", "--raw", "--device=korimu_test.monitor", formatArg.c_str(),
           rateArg.c_str(), channelsArg.c_str(), "--latency-msec=10", static_cast<char*>(nullptr));
    _exit(127);
  }
  if (capturePid_ < 0) return false;
  // The recorder is ready once the server lists it.
  for (int waited = 0; waited < 5000; waited += 20) {
    if (!run("pactl list short source-outputs 2>/dev/null").empty()) return true;
    sleepMs(20);
  }
  stopCapture();
  return false;
}

void PrivatePulseServer::stopCapture() {
  if (capturePid_ <= 0) return;
  kill(capturePid_, SIGINT);
  reap(capturePid_, 3000);
  capturePid_ = -1;
}

PrivatePulseServer* sharedPulseServer(std::string* why) {
  static std::unique_ptr<PrivatePulseServer> server;
  static std::string failure;
  static bool tried = false;
  if (!tried) {
    tried = true;
    server = std::make_unique<PrivatePulseServer>();
    if (!server->start(&failure)) server.reset();
    // The server must not outlive the test program.
    std::atexit([] { server.reset(); });
  }
  if (!server) *why = failure;
  return server.get();
}

bool processEventsUntil(int ms, const std::function<bool()>& done) {
  static int argc = 1;
  static char name[] = "korimu_test";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() >= ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace korimu::testing
