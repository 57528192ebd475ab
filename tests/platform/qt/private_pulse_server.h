// A private PulseAudio server for the playback tests: its own runtime folder, one null output
// ("korimu_test") whose monitor shows exactly what was played, and helpers to run the server's
// command-line tools against it. The test process is pointed at it through PULSE_SERVER, so the
// real backend connects there and never to a desktop's server.
#pragma once

#include <sys/types.h>
#include <functional>
#include <string>

namespace korimu::testing {

class PrivatePulseServer {
 public:
  PrivatePulseServer() = default;
  ~PrivatePulseServer() { stop(); }
  PrivatePulseServer(const PrivatePulseServer&) = delete;
  PrivatePulseServer& operator=(const PrivatePulseServer&) = delete;

  // Starts the server (sink rate as given) and waits until it answers. On failure `why` says why.
  bool start(std::string* why, int sinkRate = 44100);
  void stop();
  // Points this process (and the tools it runs) at this server.
  void pointClientsHere() const;
  bool running() const { return pid_ > 0; }

  // Runs a shell command with this server's environment and returns its standard output.
  std::string run(const std::string& command) const;

  // Records the null sink's monitor (raw, in the given sample format) into a file until
  // stopCapture(); returns false when the recorder could not start.
  bool startCapture(const std::string& file, const std::string& format, int rate, int channels);
  void stopCapture();

  const std::string& runtimeDir() const { return dir_; }

 private:
  std::string dir_;
  pid_t pid_ = -1;
  pid_t capturePid_ = -1;
};

// The one server of a test program, started on first use and stopped at exit. Returns null (and
// the reason) when no server can run here.
PrivatePulseServer* sharedPulseServer(std::string* why);

// Runs the Qt event loop of the test (creating the application object on first use) for up to
// `ms` milliseconds or until `done` returns true; returns the last answer of `done`.
bool processEventsUntil(int ms, const std::function<bool()>& done);

}  // namespace korimu::testing
