#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/message.h"

namespace korimu::fuzz {

namespace {

std::filesystem::path scratchFolder;

void removeScratch() {
  std::error_code ec;
  std::filesystem::remove_all(scratchFolder, ec);
}

}  // namespace

const std::string& writeInput(const uint8_t* data, size_t size) {
  static std::string file;
  if (file.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "korimu-fuzz-XXXXXX").string();
    check(::mkdtemp(pattern.data()) != nullptr, "cannot make the scratch folder");
    scratchFolder = pattern;
    std::atexit(removeScratch);
    file = (scratchFolder / "input").string();
  }
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  out.close();
  check(bool(out), "cannot write the scratch file");
  return file;
}

Messages quietMessages() {
  return Messages{[](std::string_view, MessageKind) {},
                  [](int code) {
                    std::fprintf(stderr, "fatal exit %d on a fuzz input\n", code);
                    std::abort();
                  }};
}

void check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "broken invariant: %s\n", what);
  std::abort();
}

}  // namespace korimu::fuzz
