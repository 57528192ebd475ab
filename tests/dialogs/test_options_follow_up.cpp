// What the main window does after the Options dialog closes with OK: the analysis preparation
// takes the key and the window function the dialog stored.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <memory>
#include <string>

#include "core/settings.h"
#include "core/shell_hooks.h"
#include "dialogs/dialog_controls.h"
#include "dialogs/options_dialog.h"
#include "display/chart.h"
#include "display/display_state.h"

namespace korimu {
namespace {

std::string acceptWithWindowAndKey(int windowIndex, int keyIndex) {
  std::unique_ptr<QDialog> dialog(createOptionsDialog(nullptr, settings));
  dialogControl<QComboBox>(dialog.get(), 109)->setCurrentIndex(windowIndex);
  dialogControl<QComboBox>(dialog.get(), 1112)->setCurrentIndex(keyIndex);
  QTest::mouseClick(dialogControl<QPushButton>(dialog.get(), 1), Qt::LeftButton);
  std::string caption = "<none>";
  shellHooks.setGainCaption = [&caption](const char* utf8) { caption = utf8; };
  prepareAnalysis();
  shellHooks.setGainCaption = nullptr;
  return caption;
}

TEST(OptionsFollowUp, RectangularWindowRelabelsTheFirstGainButton) {
  settings = AppSettings{};
  EXPECT_EQ(acceptWithWindowAndKey(4, 0), "1/2");
  EXPECT_EQ(settings.windowFunction, WindowFunction::kRectangle);
  EXPECT_DOUBLE_EQ(referenceLa, 1760.0);
  EXPECT_EQ(acceptWithWindowAndKey(1, 3), "Ａt");
  EXPECT_EQ(settings.windowFunction, WindowFunction::kHamming);
  EXPECT_NEAR(referenceLa, 1760.0 * std::pow(2.0, 3.0 / 12.0), 1e-9);
  releaseDisplaySurfaces();
}

}  // namespace
}  // namespace korimu
