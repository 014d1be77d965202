#include <gtest/gtest.h>

#include "job/job_worker.h"
#include "settings/listing_settings.h"
#include "tests/support/window_probe.h"
#include "ui/layout.h"

namespace {

constexpr Control kFullOnly[] = {
    Control::PathFormLabel,     Control::SeparatorLabel,      Control::ExtensionLabel,
    Control::ItemsLabel,        Control::FolderScanLabel,     Control::FilePrefixCaption,
    Control::FileSuffixCaption, Control::FolderPrefixCaption, Control::FolderSuffixCaption,
    Control::FilePrefixEdit,    Control::FileSuffixEdit,      Control::FolderPrefixEdit,
    Control::FolderSuffixEdit,  Control::TopmostLabel,        Control::TranslucentLabel,
    Control::CreditLabel,       Control::DeleteButton,        Control::HelpButton,
};

WindowRect s_fakeWorkArea;

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_window;
    ResetWindowProbe();
    ResetListingSettings();
    g_status.store(StatusState::Idle);
    work_ = g_window.workArea();
  }
  void TearDown() override {
    g_window = saved_;
    ResetListingSettings();
    RestoreWindowProbe();
  }

  static void OuterSize(bool compact, int32_t* width, int32_t* height) {
    g_window.outerSize(compact ? 80 : 230, compact ? 70 : 210, width, height);
  }
  static void ExpectWindow(int32_t x, int32_t y, int32_t width, int32_t height) {
    WindowRect r = g_window.windowRect();
    EXPECT_EQ(r.left, x);
    EXPECT_EQ(r.top, y);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
  }
  static void ExpectControl(Control control, int32_t x, int32_t y, int32_t width, int32_t height) {
    WindowRect r = ControlRectNow(control);
    EXPECT_EQ(r.left, x) << static_cast<int>(control);
    EXPECT_EQ(r.top, y) << static_cast<int>(control);
    EXPECT_EQ(r.right - r.left, width) << static_cast<int>(control);
    EXPECT_EQ(r.bottom - r.top, height) << static_cast<int>(control);
  }
  // Uses a work area of the test's choosing, as a monitor of that size
  // and place would give.
  void UseWorkArea(WindowRect area) {
    s_fakeWorkArea = area;
    work_ = area;
    g_window.workArea = [] { return s_fakeWorkArea; };
  }

  WindowRect work_{};

 private:
  WindowApi saved_;
};

TEST_F(LayoutTest, CompactLayoutHidesEighteenControlsAndMovesFive) {
  g_window.moveWindow(work_.left + 200, work_.top + 150, 300, 300, false);
  SwitchLayout(true, true);
  EXPECT_TRUE(g_settings.compactLayout.load());
  for (Control control : kFullOnly) EXPECT_FALSE(ControlShownNow(control)) << static_cast<int>(control);
  EXPECT_TRUE(ControlShownNow(Control::StatusLabel));
  ExpectControl(Control::StatusLabel, 5, 5, 70, 20);
  ExpectControl(Control::CancelButton, 5, 25, 70, 20);
  ExpectControl(Control::SaveButton, 5, 50, 30, 15);
  ExpectControl(Control::LayoutButton, 40, 50, 15, 15);
  ExpectControl(Control::MinimizeButton, 60, 50, 15, 15);
  EXPECT_EQ(WindowTitleNow(), u"Dorrowin");
  int32_t width = 0, height = 0;
  OuterSize(true, &width, &height);
  ExpectWindow(work_.left + 200, work_.top + 150, width, height);
  EXPECT_EQ(ControlTextNow(Control::StatusLabel), u"待機中");
}

TEST_F(LayoutTest, FullLayoutShowsEverythingAtItsPlace) {
  SwitchLayout(true, true);
  g_window.moveWindow(work_.left + 10, work_.top + 20, 50, 50, false);
  SwitchLayout(true, false);
  EXPECT_FALSE(g_settings.compactLayout.load());
  for (Control control : kFullOnly) EXPECT_TRUE(ControlShownNow(control)) << static_cast<int>(control);
  ExpectControl(Control::StatusLabel, 5, 125, 220, 20);
  ExpectControl(Control::CancelButton, 30, 145, 170, 20);
  ExpectControl(Control::SaveButton, 5, 170, 30, 15);
  ExpectControl(Control::LayoutButton, 60, 190, 15, 15);
  ExpectControl(Control::MinimizeButton, 80, 190, 15, 15);
  EXPECT_EQ(WindowTitleNow(), u"Dorrowin v1.04");
  int32_t width = 0, height = 0;
  OuterSize(false, &width, &height);
  ExpectWindow(work_.left + 10, work_.top + 20, width, height);
  EXPECT_EQ(ControlTextNow(Control::StatusLabel), u"ファイル・フォルダをドロップして下さい");
}

TEST_F(LayoutTest, GrowingInTheBottomRightCornerMovesTheWindowLeftAndUp) {
  int32_t compactWidth = 0, compactHeight = 0, width = 0, height = 0;
  OuterSize(true, &compactWidth, &compactHeight);
  OuterSize(false, &width, &height);
  g_window.moveWindow(work_.right - compactWidth, work_.bottom - compactHeight, compactWidth, compactHeight, false);
  SwitchLayout(false, true);
  ExpectWindow(work_.right - width, work_.bottom - height, width, height);
}

TEST_F(LayoutTest, AWindowAboveOrLeftOfTheWorkAreaComesToItsEdge) {
  int32_t width = 0, height = 0;
  OuterSize(true, &width, &height);
  g_window.moveWindow(work_.left - 40, work_.top - 25, width, height, false);
  SwitchLayout(true, true);
  ExpectWindow(work_.left, work_.top, width, height);
}

TEST_F(LayoutTest, AWindowWiderThanTheWorkAreaEndsAtItsRightEdge) {
  UseWorkArea(WindowRect{0, 0, 200, 150});
  g_window.moveWindow(30, 20, 50, 50, false);
  SwitchLayout(false, true);
  int32_t width = 0, height = 0;
  OuterSize(false, &width, &height);
  ExpectWindow(200 - width, 150 - height, width, height);
  EXPECT_LT(200 - width, 0);
}

TEST_F(LayoutTest, AMonitorLeftOfThePrimaryOneKeepsTheWindowThere) {
  UseWorkArea(WindowRect{-1920, 0, 0, 1040});
  g_window.moveWindow(-1500, 300, 50, 50, false);
  SwitchLayout(true, true);
  int32_t width = 0, height = 0;
  OuterSize(true, &width, &height);
  ExpectWindow(-1500, 300, width, height);

  g_window.moveWindow(-2000, 1030, width, height, false);
  SwitchLayout(true, true);
  ExpectWindow(-1920, 1040 - height, width, height);
}

}  // namespace
