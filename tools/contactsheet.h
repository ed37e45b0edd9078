// A contact sheet: chosen frames scaled down and laid out in a grid, so a
// person sees a whole capture at a glance.
#pragma once

#include <vector>

#include "pngfile.h"

// Lays the frames out inColumns wide, each scaled (box filter) to inThumbWidth
// pixels wide, on a dark background with a 4-pixel gap.
Image MakeContactSheet(const std::vector<Image>& inFrames, int inColumns, int inThumbWidth);
// A box-filtered copy of inImage at the given size.
Image ScaleImage(const Image& inImage, int inWidth, int inHeight);
