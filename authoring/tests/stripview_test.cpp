// The timeline strip's view: which time each x shows as the demo plays, is
// zoomed and is sought.
#include <gtest/gtest.h>

#include "timelinestrip.h"

namespace {

TEST(StripView, AShortDemoFillsTheStripAndEveryPixelNamesItsTime) {
  StripView theView;
  theView.SetEnd(60000);
  EXPECT_EQ(0u, theView.From());
  EXPECT_EQ(60000u, theView.Span());
  // 640 pixels over 60 s: pixel 213 holds 19969 to 20063 ms; its middle is asked for.
  EXPECT_EQ(20015u, theView.TimeAt(213, 640));
  EXPECT_NEAR(213.33, theView.XOf(20000, 640), 0.01);
  EXPECT_EQ(46u, theView.TimeAt(-50, 640)) << "left of the strip is its first pixel";
  EXPECT_EQ(59953u, theView.TimeAt(5000, 640)) << "right of the strip is its last pixel";
  theView.Follow(59000);
  EXPECT_EQ(0u, theView.From()) << "the whole demo is in view: nothing to follow";

  StripView theTiny;
  theTiny.SetEnd(0);
  EXPECT_EQ(StripView::kShortestSpanMs, theTiny.Span()) << "a 0 ms demo still has a span to draw";
  EXPECT_EQ(0u, theTiny.TimeAt(300, 640)) << "no time beyond the demo's end";
}

TEST(StripView, ALongDemoShowsAMinuteAndTurnsPagesAsThePlayheadLeavesIt) {
  StripView theView;
  theView.SetEnd(600000);
  EXPECT_EQ(StripView::kDefaultSpanMs, theView.Span());
  theView.Follow(30000);
  EXPECT_EQ(0u, theView.From()) << "in view: held still";
  theView.Follow(61000);
  EXPECT_EQ(55000u, theView.From()) << "a new page, with a tenth of it behind the playhead";
  theView.Follow(599000);
  EXPECT_EQ(540000u, theView.From()) << "the last page ends with the demo";
  theView.Follow(1000);
  EXPECT_EQ(0u, theView.From()) << "back to the start";
}

TEST(StripView, TheWheelZoomsAboutTheTimeUnderTheMouse) {
  StripView theView;
  theView.SetEnd(60000);
  const uint32_t theUnder = theView.TimeAt(400, 800);
  theView.Zoom(3, 400, 800);
  EXPECT_LT(theView.Span(), 60000u * 0.52) << "three steps closer: about half the span";
  EXPECT_NEAR(double(theUnder), double(theView.TimeAt(400, 800)), theView.Span() / 800.0 + 1)
      << "the time under the mouse moved";
  const uint32_t theLeft = theView.From();
  for (int i = 0; i < 50; ++i) theView.Zoom(1, 0, 800);
  EXPECT_EQ(StripView::kShortestSpanMs, theView.Span()) << "no closer than a second";
  EXPECT_EQ(theLeft, theView.From()) << "zoomed about the left edge, which moved";
  for (int i = 0; i < 50; ++i) theView.Zoom(-1, 799, 800);
  EXPECT_EQ(60000u, theView.Span()) << "no farther than the whole demo";
  EXPECT_EQ(0u, theView.From());
  theView.Zoom(2, 799, 800);
  EXPECT_NEAR(60000.0, theView.From() + theView.Span(), 60000.0 / 800) << "zoomed about the last pixel: the end stays";
  theView.SetEnd(30000);
  EXPECT_EQ(0u, theView.From()) << "a reloaded demo of another length starts over";
  EXPECT_EQ(30000u, theView.Span());
}

}  // namespace
