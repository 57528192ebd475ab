// The cross-section window's readout from the keyboard: its graph is reached by Tab, Left and
// Right move a cursor one row at a time and stop at the graph's edges, Home and End jump there
// while the cursor is shown, Escape hides it (and only then closes the window); what the cursor
// names is the record's row, and screen readers get the same text as the graph's description.
#include <QTest>

#include "app/plot_readout_widget.h"
#include "control/plot_readout.h"
#include "cross_section_window_support.h"

namespace korimu::testing {
namespace {

class SectionReadoutTest : public CrossSectionWindowTest {
 protected:
  void openOnChart() {
    start(sineFile("section-keys.wav", 0.5));
    analyzeFftChart();
    controller().command(1116);
    ASSERT_NE(window(), nullptr);
    window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
    // The widgets learn of the activation after the window system: the focus needs both.
    for (int i = 0; i < 500 && !window()->isActiveWindow(); ++i) QTest::qWait(10);
    ASSERT_TRUE(window()->isActiveWindow());
  }
  QWidget* graph() { return window()->graph(); }
  SectionReadout& readout() { return *window()->readout(); }
  void key(int k) { QTest::keyClick(graph(), Qt::Key(k)); }
  // The text the record gives for the row drawn at `element` of the shown column.
  QString expectedText(int element) {
    const int width = windowDisplay().crossSection.sectionWidth;
    const RunRecord& run = controller().lastRun();
    const NoteNaming notes{settings().colorScale, windowDisplay().referenceLa};
    const int x = sectionElementPixel(run, column(), width, element).x;
    return QString::fromStdString(readoutText(sectionReadout(run, column(), width, x, notes)));
  }
};

TEST_F(SectionReadoutTest, TabReachesTheGraphAfterTheButtons) {
  openOnChart();
  window()->button(kCrossSectionRight)->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(window()->button(kCrossSectionRight), Qt::Key_Tab);
  EXPECT_TRUE(graph()->hasFocus());
  EXPECT_FALSE(graph()->accessibleName().isEmpty());
}

TEST_F(SectionReadoutTest, KeysMoveTheCursorRowByRowAndStopAtTheEdges) {
  openOnChart();
  for (const int width : {kNarrowSectionWidth, kWideSectionWidth}) {
    SCOPED_TRACE(width);
    if (windowDisplay().crossSection.sectionWidth != width) press(kCrossSectionZoom);
    ASSERT_EQ(graph()->width(), width);
    graph()->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(graph()->hasFocus());
    // Home before the cursor is shown is not the readout's; the first arrow shows it at the left.
    key(Qt::Key_Home);
    EXPECT_FALSE(readout().cursorShown());
    const int columnBefore = column();
    const int shownRow = readout().cursorElement();
    ASSERT_EQ(shownRow, -1);
    struct Step {
      int key, element;
    };
    const Step steps[] = {
        {Qt::Key_Left, 0},    {Qt::Key_Left, 0},   {Qt::Key_Right, 1}, {Qt::Key_End, 255},
        {Qt::Key_Right, 255}, {Qt::Key_Left, 254}, {Qt::Key_Home, 0},  {Qt::Key_Right, 1},
    };
    for (const Step& s : steps) {
      SCOPED_TRACE(s.key);
      key(s.key);
      ASSERT_TRUE(readout().cursorShown());
      EXPECT_EQ(readout().cursorElement(), s.element);
      EXPECT_EQ(readout().overlay()->text(), expectedText(s.element));
      EXPECT_EQ(graph()->accessibleDescription(), expectedText(s.element));
      // The crosshair stands on the row's first pixel.
      ASSERT_TRUE(readout().overlay()->crosshair().has_value());
      EXPECT_EQ(readout().overlay()->crosshair()->x(), s.element * (width / 256));
    }
    // The arrows moved the cursor, not the column.
    EXPECT_EQ(column(), columnBefore);
    // A new column (from the main window, so the graph keeps the keyboard) keeps the cursor's
    // row and names that column's cell.
    controller().stepCrossSectionColumn(+1);
    updateCrossSectionWindow(app());
    EXPECT_NE(column(), columnBefore);
    EXPECT_EQ(readout().cursorElement(), 1);
    EXPECT_EQ(readout().overlay()->text(), expectedText(1));
    key(Qt::Key_Escape);
    EXPECT_FALSE(readout().cursorShown());
    EXPECT_TRUE(readout().overlay()->text().isEmpty());
    EXPECT_TRUE(graph()->accessibleDescription().isEmpty());
    ASSERT_NE(window(), nullptr) << "the first Escape hides the cursor only";
  }
  key(Qt::Key_Escape);
  EXPECT_EQ(window(), nullptr);
}

TEST_F(SectionReadoutTest, ArrowsOnTheButtonsStillStepTheColumn) {
  openOnChart();
  window()->button(kCrossSectionZoom)->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(window()->button(kCrossSectionZoom), Qt::Key_Right);
  EXPECT_EQ(column(), 8);
  EXPECT_FALSE(readout().cursorShown());
}

}  // namespace
}  // namespace korimu::testing
