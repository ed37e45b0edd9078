#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "contactsheet.h"
#include "pngfile.h"
#include "progressbar.h"

namespace {

Image Solid(int inWidth, int inHeight, uint8_t inRed) {
  Image theImage;
  theImage.width = inWidth;
  theImage.height = inHeight;
  theImage.rgba.assign(static_cast<size_t>(inWidth) * inHeight * 4, 255);
  for (int y = 0; y < inHeight; ++y)
    for (int x = 0; x < inWidth; ++x) theImage.Pixel(x, y)[0] = inRed, theImage.Pixel(x, y)[1] = uint8_t(x * 7);
  return theImage;
}

TEST(PngFile, WritesAndReadsBackEveryPixel) {
  char theDir[] = "/tmp/pngtestXXXXXX";
  ASSERT_NE(nullptr, mkdtemp(theDir));
  std::string thePath = std::string(theDir) + "/frame.png";
  Image theOut = Solid(33, 17, 200);
  theOut.Pixel(32, 16)[3] = 7;
  ASSERT_TRUE(WritePng(thePath, theOut));
  Image theIn;
  std::string theError;
  ASSERT_TRUE(ReadPng(thePath, theIn, &theError)) << theError;
  EXPECT_EQ(33, theIn.width);
  EXPECT_EQ(17, theIn.height);
  EXPECT_EQ(theOut.rgba, theIn.rgba);
  EXPECT_FALSE(ReadPng(std::string(theDir) + "/none.png", theIn, &theError));
  EXPECT_FALSE(WritePng(std::string(theDir) + "/no/such/dir.png", theOut, &theError));
  EXPECT_NE(std::string::npos, theError.find("no/such/dir.png"));
  unlink(thePath.c_str());
  rmdir(theDir);
}

TEST(ContactSheet, LaysFramesOutInRowsOfThumbnails) {
  std::vector<Image> theFrames{Solid(64, 32, 10), Solid(64, 32, 100), Solid(64, 32, 250)};
  Image theSheet = MakeContactSheet(theFrames, 2, 16);
  // Two columns of 16 x 8 thumbnails with 4-pixel gaps: 4 + 2 * 20 wide, 4 + 2 * 12 high.
  EXPECT_EQ(44, theSheet.width);
  EXPECT_EQ(28, theSheet.height);
  EXPECT_EQ(10, theSheet.Pixel(4, 4)[0]);
  EXPECT_EQ(100, theSheet.Pixel(24, 4)[0]);
  EXPECT_EQ(250, theSheet.Pixel(4, 16)[0]);
  EXPECT_EQ(24, theSheet.Pixel(24, 16)[0]) << "the empty cell stays background";
}

TEST(ContactSheet, ScalingAveragesBoxes) {
  Image theImage = Solid(4, 2, 0);
  for (int y = 0; y < 2; ++y) theImage.Pixel(0, y)[0] = 200, theImage.Pixel(1, y)[0] = 100;
  Image theHalf = ScaleImage(theImage, 2, 1);
  EXPECT_EQ(150, theHalf.Pixel(0, 0)[0]);
  EXPECT_EQ(0, theHalf.Pixel(1, 0)[0]);
}

TEST(ProgressBar, ShowsCountRateAndTimeLeft) {
  EXPECT_EQ("[#####.....] 5/10 frames  2.5 frames/s  2s left", ProgressBar::Render(5, 10, "frames", 2.0, 10));
  EXPECT_EQ("[..........] 0/10 frames", ProgressBar::Render(0, 10, "frames", 0.0, 10));
  EXPECT_EQ("[##########] 10/10 frames  5.0 frames/s  0s left", ProgressBar::Render(12, 10, "frames", 2.0, 10));
}

}  // namespace
