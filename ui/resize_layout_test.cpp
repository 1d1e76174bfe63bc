#include "ui/resize_layout.h"

#include <gtest/gtest.h>

#include <map>

namespace trellisk::ui {
namespace {

// A window's controls as the layout moves them.
struct LaidOut {
  ResizeLayout layout;
  std::map<int, ControlBox> boxes;

  void Resize(int32_t width, int32_t height) {
    layout.Resize(
        width, height, [&](int id) { return boxes.at(id); },
        [&](const std::vector<ResizeLayout::Placement>& moves) {
          for (const auto& move : moves) boxes[move.id] = move.box;
        });
  }
};

TEST(ResizeLayoutTest, RemaindersAreCarriedSoRoundingNeverDrifts) {
  LaidOut window;
  ASSERT_TRUE(window.layout.Add(1, {25, 100, 0, 0}));
  ASSERT_TRUE(window.layout.Add(1032, {0, 0, 100, 100}));
  window.boxes = {{1, {50, 178, 50, 14}}, {1032, {7, 7, 286, 164}}};
  window.layout.Start(300, 200);
  window.Resize(310, 200);
  EXPECT_EQ(window.boxes[1].x, 52) << "25 x 10 / 100 = 2, 50 kept";
  window.Resize(320, 200);
  EXPECT_EQ(window.boxes[1].x, 55) << "(250 + 50) / 100 = 3";
  window.Resize(320, 190);
  EXPECT_EQ(window.boxes[1].y, 168);
  EXPECT_EQ(window.boxes[1032], (ControlBox{7, 7, 306, 154}));
  for (int step = 0; step < 40; ++step) window.Resize(320 + (step % 2 == 0 ? 3 : 0), 190);
  EXPECT_EQ(window.boxes[1].x, 55) << "back and forth 20 times ends where it began";
}

TEST(ResizeLayoutTest, SizesStopAtZeroAndTheDeficitIsCarried) {
  LaidOut window;
  window.layout.Add(7, {0, 0, 100, 100});
  window.boxes = {{7, {0, 0, 10, 10}}};
  window.layout.Start(100, 100);
  window.Resize(85, 100);
  EXPECT_EQ(window.boxes[7].width, 0);
  window.Resize(90, 100);
  EXPECT_EQ(window.boxes[7].width, 0) << "the 5 missing come first";
  window.Resize(100, 100);
  EXPECT_EQ(window.boxes[7].width, 10);
}

TEST(ResizeLayoutTest, BadSharesAreSkippedAndNestedChangesIgnored) {
  ResizeLayout layout;
  EXPECT_FALSE(layout.Add(1, {101, 0, 0, 0}));
  EXPECT_FALSE(layout.Add(2, {0, -1, 0, 0}));
  layout.Add(3, {100, 0, 0, 0});
  layout.Start(10, 10);
  int batches = 0;
  layout.Resize(
      20, 10, [](int) { return ControlBox{}; },
      [&](const std::vector<ResizeLayout::Placement>& moves) {
        ++batches;
        EXPECT_EQ(moves.size(), 1u);
        layout.Resize(
            40, 10, [](int) { return ControlBox{}; },
            [&](const std::vector<ResizeLayout::Placement>&) { ++batches; });
      });
  EXPECT_EQ(batches, 1);
  EXPECT_EQ(layout.clientWidth(), 20);
}

TEST(ResizeLayoutTest, TrackingSizeTakesTheFirstProposalWhereUnknown) {
  ResizeLayout layout;
  layout.SetMinimumTrackingSize(300, 200);
  EXPECT_EQ(layout.Track({100, 100, 1024, 768}), (TrackingSize{300, 200, 1024, 768}));
  EXPECT_EQ(layout.Track({1, 1, 2, 2}), (TrackingSize{300, 200, 1024, 768}));
}

}  // namespace
}  // namespace trellisk::ui
