// libsndfile, loaded by whoever decodes or lists the kinds it reads. A WAVE file is read without
// it, and a process that never decodes never maps it and the eight codec libraries it brings
// (about 2.4 ms of every start).
#pragma once

#include <sndfile.h>

#include <string>

namespace korimu {

class SndfileLibrary {
 public:
  // Loads the library (or takes another reference to it: it stays mapped once loaded, so
  // whatever it allocated can still be named by the leak checker).
  SndfileLibrary();
  ~SndfileLibrary();
  SndfileLibrary(const SndfileLibrary&) = delete;
  SndfileLibrary& operator=(const SndfileLibrary&) = delete;

  bool loaded() const { return open != nullptr; }
  // Why it could not be loaded (the loader's words), when it could not.
  const std::string& problem() const { return problem_; }

  // The entry points the program uses, as libsndfile declares them.
  decltype(&sf_open) open = nullptr;
  decltype(&sf_open_fd) openFd = nullptr;
  decltype(&sf_close) close = nullptr;
  decltype(&sf_command) command = nullptr;
  decltype(&sf_readf_double) readfDouble = nullptr;
  decltype(&sf_strerror) strerror = nullptr;

 private:
  void* handle_ = nullptr;
  std::string problem_;
};

}  // namespace korimu
