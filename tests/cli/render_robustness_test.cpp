// Damaged files through the whole path a user takes: the reader, the overview, every analyser and
// the PNG. Each file must give either a picture or the reader's message, never a crash, an
// out-of-bounds access (the tests run under AddressSanitizer) or a fatal exit.
#include <filesystem>
#include <random>
#include <string>

#include "cli/render.h"
#include "platform/message.h"
#include "render_test_support.h"

namespace korimu::testing {
namespace {

class DamagedFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    recorder_.sink = [this](std::string_view text, MessageKind kind) {
      messages.emplace_back(text);
      if (kind == MessageKind::kFatal) ADD_FAILURE() << "fatal message: " << text;
    };
    recorder_.fatalExit = [](int) {};
  }

  // Renders the file with a method and checks the outcome is a picture or a refusal.
  void renderEach(const std::string& file, int index) {
    static const char* kMethods[] = {"fft", "dct", "dtft", "mem", "wt"};
    static const char* kViews[] = {"chart", "spectrum-log", "level-meter", "wave-zoom"};
    const std::string method = kMethods[index % 5];
    const std::string view = method == "wt" ? "chart" : kViews[(index / 5) % 4];
    const std::string png = scope.out("out" + std::to_string(index) + ".png");
    const int code = runRender(png,
                               {{"view", view},
                                {"method", method},
                                {"block-order", "8"},
                                {"time-resolution", "256"},
                                {"span", "4096"}},
                               file, nullptr, recorder_);
    EXPECT_TRUE(code == 0 || code == 1) << file << " gave exit code " << code;
    if (code == 0) {
      EXPECT_TRUE(std::filesystem::exists(png)) << file;
      ++rendered;
    }
  }

  RenderScope scope;
  std::vector<std::string> messages;
  int rendered = 0;

 private:
  Messages recorder_;
};

TEST_F(DamagedFiles, RandomHeaderBytesGiveAPictureOrTheReadersMessage) {
  const std::vector<uint8_t> good =
      toneWave({.rate = 22050, .channels = 2, .bits = 16, .seconds = 0.05});
  std::mt19937 random(20261207);
  for (int i = 0; i < 100; ++i) {
    std::vector<uint8_t> bytes = good;
    const int changes = 1 + int(random() % 4);
    for (int c = 0; c < changes; ++c) bytes[random() % 44] = uint8_t(random());
    renderEach(scope.dir.write("header" + std::to_string(i) + ".wav", bytes), i);
  }
  // Some damage leaves a readable file (a changed rate or byte rate): those go all the way through.
  EXPECT_GT(rendered, 5);
  EXPECT_GT(int(messages.size()), 5);
}

TEST_F(DamagedFiles, ExtremeFieldValuesAndTruncationAreHandled) {
  const std::vector<uint8_t> good =
      toneWave({.rate = 11025, .channels = 1, .bits = 8, .seconds = 0.05});
  // Offsets of the RIFF size, the format fields and the data size in a canonical header.
  const size_t fields[] = {4, 16, 22, 24, 28, 32, 34, 40};
  const uint32_t values[] = {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu};
  int index = 0;
  for (size_t at : fields) {
    for (uint32_t v : values) {
      std::vector<uint8_t> bytes = good;
      const size_t width = (at == 22 || at == 32 || at == 34) ? 2 : 4;
      for (size_t k = 0; k < width; ++k) bytes[at + k] = uint8_t(v >> (8 * k));
      renderEach(scope.dir.write("field" + std::to_string(index) + ".wav", bytes), index);
      ++index;
    }
  }
  for (size_t length : {size_t(0), size_t(11), size_t(12), size_t(20), size_t(36), size_t(43),
                        size_t(44), size_t(45), good.size() - 1}) {
    const std::vector<uint8_t> bytes(good.begin(), good.begin() + long(length));
    renderEach(scope.dir.write("cut" + std::to_string(length) + ".wav", bytes), index++);
  }
  EXPECT_GT(rendered, 10);
  EXPECT_GT(int(messages.size()), 10);  // and many are refused with the reader's message
}

}  // namespace
}  // namespace korimu::testing
