// Replays saved fuzz inputs without libFuzzer: every file in the folders given (notes in .md files
// aside) runs through the target once. Built in the normal build, so every input that ever found a
// fault stays a test. A folder that cannot be read, or a replay of no input at all, fails: a test
// that tries nothing would pass whatever the target does.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    std::error_code ec;
    std::filesystem::directory_iterator folder(argv[i], ec);
    if (ec) {
      std::fprintf(stderr, "cannot read the inputs in %s: %s\n", argv[i], ec.message().c_str());
      return 1;
    }
    for (const auto& entry : folder) {
      if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                       std::istreambuf_iterator<char>()};
      std::printf("replaying %s\n", entry.path().filename().c_str());
      std::fflush(stdout);
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++replayed;
    }
  }
  std::printf("%d inputs replayed\n", replayed);
  if (replayed == 0) std::fprintf(stderr, "no input to replay\n");
  return replayed > 0 ? 0 : 1;
}
