// A program stopped by SIGINT or SIGTERM while it writes an output under a hidden temporary name
// leaves neither that name nor a changed output; a program that took the signal itself keeps it.
#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace korimu {
namespace {

namespace fs = std::filesystem;

class Folder {
 public:
  Folder() {
    char pattern[] = "/tmp/korimu-atomic-XXXXXX";
    path_ = ::mkdtemp(pattern) ? pattern : "";
  }
  ~Folder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  return names;
}

void ignoreSignal(int) {}

struct Stop {
  const char* name;
  int signal;
  bool ownHandler;  // the program took the signal before it wrote
};

void PrintTo(const Stop& s, std::ostream* out) {
  *out << s.name;
}

class StoppedWrites : public ::testing::TestWithParam<Stop> {};

TEST_P(StoppedWrites, LeaveNoTemporaryName) {
  const Stop& row = GetParam();
  Folder folder;
  ASSERT_FALSE(folder.path().empty());
  const fs::path output = folder.path() / "chart.csv";
  std::ofstream(output) << "kept\n";
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);

  const pid_t child = ::fork();
  if (child == 0) {
    ::close(ready[0]);
    if (row.ownHandler) ::signal(row.signal, ignoreSignal);
    // Held back until the child waits for it, so that it cannot come too early.
    sigset_t held, none;
    sigemptyset(&held);
    sigemptyset(&none);
    sigaddset(&held, row.signal);
    ::sigprocmask(SIG_BLOCK, &held, nullptr);
    AtomicFile file(AtomicFile::Temporary::kNamed);
    std::string reason;
    const bool started = file.open(output.string(), reason) && file.write("half of it", reason);
    const char told = started ? 'y' : 'n';
    if (::write(ready[1], &told, 1) != 1) ::_exit(3);
    // Stopped here by the signal (or, with a handler of its own, woken by it).
    ::sigsuspend(&none);
    ::_exit(row.ownHandler ? 0 : 4);
  }
  ::close(ready[1]);
  char told = 0;
  ASSERT_EQ(::read(ready[0], &told, 1), 1);
  ::close(ready[0]);
  ASSERT_EQ(told, 'y');
  // The temporary is there while the write is under way.
  EXPECT_EQ(namesIn(folder.path()).size(), 2u);
  ASSERT_EQ(::kill(child, row.signal), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);

  if (row.ownHandler) {
    // The program's own handler ran, not the cleanup: it ended as it chose.
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  } else {
    // Ended by the signal itself, as if nothing had caught it, and the name is gone.
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == row.signal) << status;
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"chart.csv"});
  }
  std::ifstream kept(output);
  std::string line;
  std::getline(kept, line);
  EXPECT_EQ(line, "kept");
}

INSTANTIATE_TEST_SUITE_P(Signals, StoppedWrites,
                         ::testing::Values(Stop{"Interrupt", SIGINT, false},
                                           Stop{"Terminate", SIGTERM, false},
                                           Stop{"TakenByTheProgram", SIGTERM, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korimu
