// The window's 画像を保存, 数値を保存 and クリップボードにコピー: off until an analysis has run,
// and then the same picture and the same numbers as the command line writes for the same settings.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/render.h"
#include "cli/render_test_support.h"
#include "control/controller.h"
#include "core/layout.h"
#include "core/settings.h"
#include "display/chart.h"
#include "display/client_area.h"
#include "display/status_texts.h"
#include "wave/wave_source.h"

namespace korimu {
namespace {

using testing::RenderScope;
using testing::ToneFile;

// A view that saves where the test says and keeps what it was shown.
struct SavingView : WindowView {
  std::string folder;
  std::vector<std::string> proposed;
  Enabling last;
  int copies = 0;
  Canvas copied;
  void showEnabling(const Enabling& e) override { last = e; }
  bool chooseFileToSave(const std::string& name, const std::string& kind,
                        std::string* chosen) override {
    proposed.push_back(name);
    *chosen = folder + "/窓から 保存." + kind;
    return true;
  }
  void copyPictureToClipboard(const Canvas& picture) override {
    ++copies;
    copied = picture;
  }
  bool on(int id) const {
    for (const auto& [item, enabled] : last.menuItems)
      if (item == id) return enabled;
    return false;
  }
};

TEST(ExportCommands, WindowSavesWhatTheCommandLineWrites) {
  RenderScope scope;
  ToneFile tone;
  tone.bits = 16;
  tone.seconds = 1.0;
  const std::string wav = scope.file("トーン 1.wav", tone);
  const std::string png = scope.out("cli.png"), csv = scope.out("cli.csv");
  const RenderOptions options = {{"view", "chart"}, {"span", "16384"}, {"csv", csv}};
  ASSERT_EQ(runRender(png, options, wav), 0);
  RenderSetup rendered;
  ASSERT_TRUE(prepareRender(options, rendered));

  // The window as it starts: its canvas composed, the settings as the command line had them.
  SavingView view;
  view.folder = scope.dir.path().string();
  Controller controller(view);
  AppSettings& settings = controller.session().settings;
  settings = rendered.settings;

  DisplayState& display = controller.session().display;
  Canvas& client = display.surfaces.window;
  client = Canvas(kLayout.layoutWidth, kLayout.clientHeight);
  client.clear(kButtonFace);
  prepareAnalysis(display, settings.musicalKey);
  composeClientArea(display, settings, client, controller.session().wave.source,
                    controller.session().document);
  controller.session().document.fileName = wav;
  controller.openFile();
  for (int id : {kSavePictureId, kSaveNumbersId, kCopyPictureId}) {
    EXPECT_FALSE(view.on(id)) << id;
    controller.command(id);
  }
  EXPECT_TRUE(view.proposed.empty());
  EXPECT_EQ(view.copies, 0);

  controller.command(kAnalyzeId);
  for (int id : {kSavePictureId, kSaveNumbersId, kCopyPictureId}) EXPECT_TRUE(view.on(id)) << id;
  controller.command(kSavePictureId);
  controller.command(kSaveNumbersId);
  controller.command(kCopyPictureId);
  ASSERT_EQ(view.copies, 1);
  EXPECT_EQ(view.copied.pixels(), controller.picture().pixels());
  closeWave(controller.session().wave, true);

  ASSERT_EQ(view.proposed.size(), 2u);
  EXPECT_EQ(view.proposed[0], scope.out("トーン 1-chart-fft.png"));
  EXPECT_EQ(view.proposed[1], scope.out("トーン 1-chart-fft.csv"));
  EXPECT_EQ(testing::readFile(scope.out("窓から 保存.png")), testing::readFile(png));
  EXPECT_EQ(testing::readFile(scope.out("窓から 保存.csv")), testing::readFile(csv));
}

// A link planted where the window saves is replaced by the saved file; what it pointed at is
// left as it was.
TEST(ExportCommands, SavesReplaceALinkAtTheChosenName) {
  RenderScope scope;
  const std::string wav = scope.file("take.wav", ToneFile{});
  SavingView view;
  view.folder = scope.dir.path().string();
  Controller controller(view);
  DisplayState& display = controller.session().display;
  display.surfaces.window = Canvas(kLayout.layoutWidth, kLayout.clientHeight);
  prepareAnalysis(display, controller.session().settings.musicalKey);
  controller.session().document.fileName = wav;
  controller.openFile();
  controller.command(kAnalyzeId);
  closeWave(controller.session().wave, true);

  const std::string victim = scope.dir.write("victim.txt", {'m', 'i', 'n', 'e'});
  const std::string png = scope.out("窓から 保存.png"), csv = scope.out("窓から 保存.csv");
  for (const std::string& link : {png, csv}) std::filesystem::create_symlink(victim, link);
  controller.command(kSavePictureId);
  controller.command(kSaveNumbersId);
  EXPECT_EQ(testing::readFile(victim), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
  for (const std::string& saved : {png, csv}) {
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(saved)));
    EXPECT_GT(std::filesystem::file_size(saved), 100u) << saved;
  }
}

}  // namespace
}  // namespace korimu
