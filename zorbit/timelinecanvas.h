// What the timeline pictures are drawn on: one small set of drawing calls
// with two ends. CairoCanvas draws into a cairo surface and writes PNG or
// PDF; SvgCanvas writes the SVG text itself, because an SVG hover text is a
// <title> element, which cairo's SVG surface has no way to write, and
// because the test and the browser read bars and curves as plain elements.
// Both get exactly the same calls from the same layout.
//
// Coordinates are pixels, y down, origin at the top-left corner. Colours
// are packed 0xAARRGGBB. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct CanvasPoint {
  double x;
  double y;
};

enum class TextAnchor { kStart, kMiddle, kEnd };

class Canvas {
 public:
  virtual ~Canvas() = default;
  // inData: extra SVG attributes for the element (`class="bar" data-...`);
  // cairo ignores it.
  virtual void Rect(double inX, double inY, double inW, double inH, uint32_t inFill, const std::string& inData = "") = 0;
  virtual void Line(double inX0, double inY0, double inX1, double inY1, uint32_t inColour, double inWidth) = 0;
  virtual void Polyline(const std::vector<CanvasPoint>& inPoints, uint32_t inColour, double inWidth,
                        const std::string& inData = "") = 0;
  virtual void Dot(double inX, double inY, double inRadius, uint32_t inColour) = 0;
  // Text with its baseline at inY, cut short with "..." so that it is no
  // wider than inMaxWidth (0: no limit).
  virtual void Text(double inX, double inY, const std::string& inText, double inSize, uint32_t inColour,
                    TextAnchor inAnchor = TextAnchor::kStart, double inMaxWidth = 0, bool inBold = false) = 0;
  // Everything drawn until EndGroup answers inTooltip on hover (SVG only).
  virtual void BeginGroup(const std::string& inTooltip) = 0;
  virtual void EndGroup() = 0;
  // Drawing is kept inside the rectangle until PopClip.
  virtual void PushClip(double inX, double inY, double inW, double inH) = 0;
  virtual void PopClip() = 0;
};

// The format an output file's name asks for.
enum class PictureFormat { kUnknown, kPng, kSvg, kPdf };
PictureFormat FormatOfPath(const std::string& inPath);

// A picture of inWidth x inHeight pixels headed for inPath. Draw on Canvas(),
// then Finish() writes the file: true, or false with outError saying why (the
// file is then not left half written).
class PictureFile {
 public:
  // inRootData: extra attributes of the SVG's root element.
  static std::unique_ptr<PictureFile> Make(PictureFormat inFormat, const std::string& inPath, int inWidth,
                                           int inHeight, const std::string& inRootData = "");
  virtual ~PictureFile() = default;
  virtual Canvas& GetCanvas() = 0;
  virtual bool Finish(std::string& outError) = 0;
};

// Text escaped for an XML attribute or element.
std::string XmlEscape(const std::string& inText);
