#include "contactsheet.h"

#include <algorithm>

Image ScaleImage(const Image& inImage, int inWidth, int inHeight) {
  Image theResult;
  theResult.width = std::max(1, inWidth);
  theResult.height = std::max(1, inHeight);
  theResult.rgba.assign(static_cast<size_t>(theResult.width) * theResult.height * 4, 0);
  if (inImage.width <= 0 || inImage.height <= 0) return theResult;
  for (int y = 0; y < theResult.height; ++y) {
    int theY0 = y * inImage.height / theResult.height;
    int theY1 = std::max(theY0 + 1, (y + 1) * inImage.height / theResult.height);
    for (int x = 0; x < theResult.width; ++x) {
      int theX0 = x * inImage.width / theResult.width;
      int theX1 = std::max(theX0 + 1, (x + 1) * inImage.width / theResult.width);
      unsigned theSum[4] = {0, 0, 0, 0};
      for (int sy = theY0; sy < theY1; ++sy)
        for (int sx = theX0; sx < theX1; ++sx)
          for (int c = 0; c < 4; ++c) theSum[c] += inImage.Pixel(sx, sy)[c];
      unsigned theCount = static_cast<unsigned>((theY1 - theY0) * (theX1 - theX0));
      for (int c = 0; c < 4; ++c) theResult.Pixel(x, y)[c] = static_cast<uint8_t>(theSum[c] / theCount);
    }
  }
  return theResult;
}

Image MakeContactSheet(const std::vector<Image>& inFrames, int inColumns, int inThumbWidth) {
  const int theGap = 4;
  Image theSheet;
  if (inFrames.empty() || inColumns <= 0 || inThumbWidth <= 0) return theSheet;
  const Image& theFirst = inFrames[0];
  int theThumbHeight = std::max(1, inThumbWidth * theFirst.height / std::max(1, theFirst.width));
  int theColumns = std::min<int>(inColumns, static_cast<int>(inFrames.size()));
  int theRows = (static_cast<int>(inFrames.size()) + theColumns - 1) / theColumns;
  theSheet.width = theGap + theColumns * (inThumbWidth + theGap);
  theSheet.height = theGap + theRows * (theThumbHeight + theGap);
  theSheet.rgba.assign(static_cast<size_t>(theSheet.width) * theSheet.height * 4, 0);
  for (size_t i = 0; i < theSheet.rgba.size(); i += 4) {
    theSheet.rgba[i] = theSheet.rgba[i + 1] = 24;
    theSheet.rgba[i + 2] = 32;
    theSheet.rgba[i + 3] = 255;
  }
  for (size_t i = 0; i < inFrames.size(); ++i) {
    Image theThumb = ScaleImage(inFrames[i], inThumbWidth, theThumbHeight);
    int theLeft = theGap + static_cast<int>(i % theColumns) * (inThumbWidth + theGap);
    int theTop = theGap + static_cast<int>(i / theColumns) * (theThumbHeight + theGap);
    for (int y = 0; y < theThumbHeight; ++y)
      std::copy_n(theThumb.Pixel(0, y), static_cast<size_t>(inThumbWidth) * 4, theSheet.Pixel(theLeft, theTop + y));
  }
  return theSheet;
}
