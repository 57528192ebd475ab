#include "wave/sndfile_library.h"

#include <dlfcn.h>

namespace korimu {

namespace {

template <typename F>
bool resolve(void* handle, const char* name, F& entry) {
  entry = reinterpret_cast<F>(::dlsym(handle, name));
  return entry != nullptr;
}

}  // namespace

SndfileLibrary::SndfileLibrary() {
  handle_ = ::dlopen("libsndfile.so.1", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (handle_ == nullptr) {
    const char* why = ::dlerror();
    problem_ = why != nullptr ? why : "libsndfile.so.1 cannot be loaded";
    return;
  }
  decltype(open) opening = nullptr;
  if (!resolve(handle_, "sf_close", close) || !resolve(handle_, "sf_command", command) ||
      !resolve(handle_, "sf_readf_double", readfDouble) ||
      !resolve(handle_, "sf_strerror", strerror) || !resolve(handle_, "sf_open_fd", openFd) ||
      !resolve(handle_, "sf_open", opening)) {
    problem_ = "libsndfile.so.1 lacks an entry point it should have";
    return;
  }
  open = opening;  // set last: loaded() means every entry point is there
}

SndfileLibrary::~SndfileLibrary() {
  if (handle_ != nullptr) ::dlclose(handle_);
}

}  // namespace korimu
