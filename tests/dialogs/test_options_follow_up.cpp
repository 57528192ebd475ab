// What the main window does after the Options dialog closes with OK: the analysis preparation
// takes the key and the window function the dialog stored.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <memory>
#include <string>
#include <utility>

#include "core/settings.h"
#include "dialogs/dialog_controls.h"
#include "dialogs/options_dialog.h"
#include "display/chart.h"
#include "display/display_state.h"

namespace korimu {
namespace {

// The caption of the first gain button and la after the preparation that follows OK.
std::pair<std::string, double> acceptWithWindowAndKey(AppSettings& settings, int windowIndex,
                                                      int keyIndex) {
  std::unique_ptr<QDialog> dialog(createOptionsDialog(nullptr, settings));
  dialogControl<QComboBox>(dialog.get(), 109)->setCurrentIndex(windowIndex);
  dialogControl<QComboBox>(dialog.get(), 1112)->setCurrentIndex(keyIndex);
  QTest::mouseClick(dialogControl<QPushButton>(dialog.get(), 1), Qt::LeftButton);
  DisplayState display;
  prepareAnalysis(display, settings.musicalKey);
  return {gainButtonCaption(settings.windowFunction), display.referenceLa};
}

TEST(OptionsFollowUp, RectangularWindowRelabelsTheFirstGainButton) {
  AppSettings settings;
  const auto [rectangular, la] = acceptWithWindowAndKey(settings, 4, 0);
  EXPECT_EQ(rectangular, "1/2");
  EXPECT_EQ(settings.windowFunction, WindowFunction::kRectangle);
  EXPECT_DOUBLE_EQ(la, 1760.0);
  const auto [other, raised] = acceptWithWindowAndKey(settings, 1, 3);
  EXPECT_EQ(other, "Ａt");
  EXPECT_EQ(settings.windowFunction, WindowFunction::kHamming);
  EXPECT_NEAR(raised, 1760.0 * std::pow(2.0, 3.0 / 12.0), 1e-9);
}

}  // namespace
}  // namespace korimu
