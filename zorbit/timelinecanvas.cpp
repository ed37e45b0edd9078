#include "timelinecanvas.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

double Red(uint32_t inColour) { return ((inColour >> 16) & 0xFF) / 255.0; }
double Green(uint32_t inColour) { return ((inColour >> 8) & 0xFF) / 255.0; }
double Blue(uint32_t inColour) { return (inColour & 0xFF) / 255.0; }
double Alpha(uint32_t inColour) { return ((inColour >> 24) & 0xFF) / 255.0; }

// The text cut after whole UTF-8 characters while inFits says it is too wide.
template <typename Fits>
std::string Shortened(const std::string& inText, Fits inFits) {
  if (inFits(inText)) return inText;
  std::string theText = inText;
  while (!theText.empty()) {
    while (!theText.empty() && (static_cast<unsigned char>(theText.back()) & 0xC0) == 0x80) theText.pop_back();
    if (!theText.empty()) theText.pop_back();  // the character's lead byte
    if (theText.empty()) break;
    if (inFits(theText + "...")) return theText + "...";
  }
  return "";
}

// Rough advance of sans-serif text, for the SVG, which leaves measuring to
// the viewer: generous, so the cut text stays inside its bar.
double EstimatedWidth(const std::string& inText, double inSize, bool inBold) {
  size_t theChars = 0;
  for (unsigned char theByte : inText)
    if ((theByte & 0xC0) != 0x80) ++theChars;
  return double(theChars) * inSize * (inBold ? 0.64 : 0.6);
}

class CairoCanvas : public Canvas {
 public:
  explicit CairoCanvas(cairo_t* inContext) : mCr(inContext) {
    cairo_select_font_face(mCr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  }
  void Rect(double inX, double inY, double inW, double inH, uint32_t inFill, const std::string&) override {
    Colour(inFill);
    cairo_rectangle(mCr, inX, inY, inW, inH);
    cairo_fill(mCr);
  }
  void Line(double inX0, double inY0, double inX1, double inY1, uint32_t inColour, double inWidth) override {
    Colour(inColour);
    cairo_set_line_width(mCr, inWidth);
    cairo_move_to(mCr, inX0, inY0);
    cairo_line_to(mCr, inX1, inY1);
    cairo_stroke(mCr);
  }
  void Polyline(const std::vector<CanvasPoint>& inPoints, uint32_t inColour, double inWidth,
                const std::string&) override {
    if (inPoints.empty()) return;
    Colour(inColour);
    cairo_set_line_width(mCr, inWidth);
    cairo_set_line_join(mCr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(mCr, inPoints[0].x, inPoints[0].y);
    for (size_t i = 1; i < inPoints.size(); ++i) cairo_line_to(mCr, inPoints[i].x, inPoints[i].y);
    cairo_stroke(mCr);
  }
  void Dot(double inX, double inY, double inRadius, uint32_t inColour) override {
    Colour(inColour);
    cairo_arc(mCr, inX, inY, inRadius, 0, 6.283185307179586);
    cairo_fill(mCr);
  }
  void Text(double inX, double inY, const std::string& inText, double inSize, uint32_t inColour, TextAnchor inAnchor,
            double inMaxWidth, bool inBold) override {
    cairo_select_font_face(mCr, "sans-serif", CAIRO_FONT_SLANT_NORMAL,
                           inBold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(mCr, inSize);
    auto theWidth = [this](const std::string& inCandidate) {
      cairo_text_extents_t theExtents;
      cairo_text_extents(mCr, inCandidate.c_str(), &theExtents);
      return theExtents.x_advance;
    };
    const std::string theText =
        inMaxWidth > 0 ? Shortened(inText, [&](const std::string& inT) { return theWidth(inT) <= inMaxWidth; }) : inText;
    if (theText.empty()) return;
    double theX = inX;
    if (inAnchor != TextAnchor::kStart) theX -= theWidth(theText) * (inAnchor == TextAnchor::kMiddle ? 0.5 : 1.0);
    Colour(inColour);
    cairo_move_to(mCr, theX, inY);
    cairo_show_text(mCr, theText.c_str());
    cairo_new_path(mCr);
  }
  void BeginGroup(const std::string&) override {}
  void EndGroup() override {}
  void PushClip(double inX, double inY, double inW, double inH) override {
    cairo_save(mCr);
    cairo_rectangle(mCr, inX, inY, inW, inH);
    cairo_clip(mCr);
  }
  void PopClip() override { cairo_restore(mCr); }

 private:
  void Colour(uint32_t inColour) { cairo_set_source_rgba(mCr, Red(inColour), Green(inColour), Blue(inColour), Alpha(inColour)); }
  cairo_t* mCr;
};

std::string Number(double inValue) {
  char theText[32];
  std::snprintf(theText, sizeof theText, "%.2f", inValue);
  // "12.50" -> "12.5", "3.00" -> "3"
  std::string theResult = theText;
  while (!theResult.empty() && theResult.back() == '0') theResult.pop_back();
  if (!theResult.empty() && theResult.back() == '.') theResult.pop_back();
  return theResult == "-0" ? "0" : theResult;
}

std::string SvgColour(uint32_t inColour) {
  char theText[64];
  std::snprintf(theText, sizeof theText, "#%06X", unsigned(inColour & 0xFFFFFF));
  std::string theResult = theText;
  return theResult;
}

std::string Opacity(const char* inAttribute, uint32_t inColour) {
  const uint32_t theAlpha = inColour >> 24;
  if (theAlpha == 0xFF) return "";
  return std::string(" ") + inAttribute + "=\"" + Number(theAlpha / 255.0) + "\"";
}

class SvgCanvas : public Canvas {
 public:
  explicit SvgCanvas(std::string& ioText) : mOut(ioText) {}
  void Rect(double inX, double inY, double inW, double inH, uint32_t inFill, const std::string& inData) override {
    mOut += "<rect x=\"" + Number(inX) + "\" y=\"" + Number(inY) + "\" width=\"" + Number(inW) + "\" height=\"" +
            Number(inH) + "\" fill=\"" + SvgColour(inFill) + "\"" + Opacity("fill-opacity", inFill) + Data(inData) + "/>\n";
  }
  void Line(double inX0, double inY0, double inX1, double inY1, uint32_t inColour, double inWidth) override {
    mOut += "<line x1=\"" + Number(inX0) + "\" y1=\"" + Number(inY0) + "\" x2=\"" + Number(inX1) + "\" y2=\"" +
            Number(inY1) + "\" stroke=\"" + SvgColour(inColour) + "\"" + Opacity("stroke-opacity", inColour) +
            " stroke-width=\"" + Number(inWidth) + "\"/>\n";
  }
  void Polyline(const std::vector<CanvasPoint>& inPoints, uint32_t inColour, double inWidth,
                const std::string& inData) override {
    if (inPoints.empty()) return;
    mOut += "<polyline fill=\"none\" stroke=\"" + SvgColour(inColour) + "\"" + Opacity("stroke-opacity", inColour) +
            " stroke-width=\"" + Number(inWidth) + "\" stroke-linejoin=\"round\"" + Data(inData) + " points=\"";
    for (size_t i = 0; i < inPoints.size(); ++i) {
      if (i > 0) mOut += ' ';
      mOut += Number(inPoints[i].x) + "," + Number(inPoints[i].y);
    }
    mOut += "\"/>\n";
  }
  void Dot(double inX, double inY, double inRadius, uint32_t inColour) override {
    mOut += "<circle cx=\"" + Number(inX) + "\" cy=\"" + Number(inY) + "\" r=\"" + Number(inRadius) + "\" fill=\"" +
            SvgColour(inColour) + "\"" + Opacity("fill-opacity", inColour) + "/>\n";
  }
  void Text(double inX, double inY, const std::string& inText, double inSize, uint32_t inColour, TextAnchor inAnchor,
            double inMaxWidth, bool inBold) override {
    const std::string theText =
        inMaxWidth > 0 ? Shortened(inText, [&](const std::string& inT) { return EstimatedWidth(inT, inSize, inBold) <= inMaxWidth; })
                       : inText;
    if (theText.empty()) return;
    const char* theAnchor = inAnchor == TextAnchor::kStart ? "start" : inAnchor == TextAnchor::kMiddle ? "middle" : "end";
    mOut += "<text x=\"" + Number(inX) + "\" y=\"" + Number(inY) + "\" font-size=\"" + Number(inSize) +
            "\" text-anchor=\"" + theAnchor + "\" fill=\"" + SvgColour(inColour) + "\"" +
            Opacity("fill-opacity", inColour) + (inBold ? " font-weight=\"bold\"" : "") + ">" + XmlEscape(theText) +
            "</text>\n";
  }
  void BeginGroup(const std::string& inTooltip) override {
    mOut += "<g><title>" + XmlEscape(inTooltip) + "</title>\n";
  }
  void EndGroup() override { mOut += "</g>\n"; }
  void PushClip(double inX, double inY, double inW, double inH) override {
    const std::string theId = "clip" + std::to_string(mClips++);
    mOut += "<clipPath id=\"" + theId + "\"><rect x=\"" + Number(inX) + "\" y=\"" + Number(inY) + "\" width=\"" +
            Number(inW) + "\" height=\"" + Number(inH) + "\"/></clipPath><g clip-path=\"url(#" + theId + ")\">\n";
  }
  void PopClip() override { mOut += "</g>\n"; }

 private:
  static std::string Data(const std::string& inData) { return inData.empty() ? "" : " " + inData; }
  std::string& mOut;
  unsigned mClips = 0;
};

// The file is written beside its final name and renamed over it, so that a
// failure never leaves a half-written picture under the name asked for.
bool Replace(const std::string& inWritten, const std::string& inPath, std::string& outError) {
  if (std::rename(inWritten.c_str(), inPath.c_str()) == 0) return true;
  outError = "cannot write " + inPath + ": " + std::strerror(errno);
  std::remove(inWritten.c_str());
  return false;
}

std::string PartPath(const std::string& inPath) { return inPath + ".part"; }

class SvgFile : public PictureFile {
 public:
  SvgFile(const std::string& inPath, int inWidth, int inHeight, const std::string& inRootData)
      : mPath(inPath), mCanvas(mText) {
    mText = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
            std::to_string(inWidth) + "\" height=\"" + std::to_string(inHeight) + "\" viewBox=\"0 0 " +
            std::to_string(inWidth) + " " + std::to_string(inHeight) +
            "\" font-family=\"DejaVu Sans, sans-serif\"" + (inRootData.empty() ? "" : " " + inRootData) + ">\n";
  }
  Canvas& GetCanvas() override { return mCanvas; }
  bool Finish(std::string& outError) override {
    mText += "</svg>\n";
    const std::string thePart = PartPath(mPath);
    {
      std::ofstream theFile(thePart, std::ios::binary);
      if (!theFile) {
        outError = "cannot write " + mPath + ": " + std::strerror(errno);
        return false;
      }
      theFile << mText;
      if (!theFile.flush()) {
        outError = "cannot write " + mPath + ": " + std::strerror(errno);
        theFile.close();
        std::remove(thePart.c_str());
        return false;
      }
    }
    return Replace(thePart, mPath, outError);
  }

 private:
  std::string mPath;
  std::string mText;
  SvgCanvas mCanvas;
};

class CairoFile : public PictureFile {
 public:
  CairoFile(PictureFormat inFormat, const std::string& inPath, int inWidth, int inHeight)
      : mFormat(inFormat), mPath(inPath) {
    if (inFormat == PictureFormat::kPdf) {
      mSurface = cairo_pdf_surface_create(PartPath(inPath).c_str(), inWidth, inHeight);
    } else {
      mSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, inWidth, inHeight);
    }
    mCr = cairo_create(mSurface);
    mCanvas = std::make_unique<CairoCanvas>(mCr);
  }
  ~CairoFile() override {
    cairo_destroy(mCr);
    cairo_surface_destroy(mSurface);
  }
  Canvas& GetCanvas() override { return *mCanvas; }
  bool Finish(std::string& outError) override {
    const std::string thePart = PartPath(mPath);
    cairo_status_t theStatus = cairo_status(mCr);
    if (mFormat == PictureFormat::kPng) {
      if (theStatus == CAIRO_STATUS_SUCCESS) theStatus = cairo_surface_write_to_png(mSurface, thePart.c_str());
    } else {
      cairo_surface_finish(mSurface);
      if (theStatus == CAIRO_STATUS_SUCCESS) theStatus = cairo_surface_status(mSurface);
    }
    if (theStatus != CAIRO_STATUS_SUCCESS) {
      const bool theFileProblem = theStatus == CAIRO_STATUS_WRITE_ERROR || theStatus == CAIRO_STATUS_FILE_NOT_FOUND;
      outError = "cannot write " + mPath + ": " + (theFileProblem ? std::string("the folder does not exist or cannot be written")
                                                                  : std::string(cairo_status_to_string(theStatus)));
      std::remove(thePart.c_str());
      return false;
    }
    return Replace(thePart, mPath, outError);
  }

 private:
  PictureFormat mFormat;
  std::string mPath;
  cairo_surface_t* mSurface = nullptr;
  cairo_t* mCr = nullptr;
  std::unique_ptr<CairoCanvas> mCanvas;
};

bool EndsWith(const std::string& inText, const char* inEnd) {
  const size_t theLength = std::strlen(inEnd);
  if (inText.size() < theLength) return false;
  for (size_t i = 0; i < theLength; ++i) {
    char theChar = inText[inText.size() - theLength + i];
    if (theChar >= 'A' && theChar <= 'Z') theChar = char(theChar - 'A' + 'a');
    if (theChar != inEnd[i]) return false;
  }
  return true;
}

}  // namespace

PictureFormat FormatOfPath(const std::string& inPath) {
  if (EndsWith(inPath, ".png")) return PictureFormat::kPng;
  if (EndsWith(inPath, ".svg")) return PictureFormat::kSvg;
  if (EndsWith(inPath, ".pdf")) return PictureFormat::kPdf;
  return PictureFormat::kUnknown;
}

std::unique_ptr<PictureFile> PictureFile::Make(PictureFormat inFormat, const std::string& inPath, int inWidth,
                                               int inHeight, const std::string& inRootData) {
  switch (inFormat) {
    case PictureFormat::kSvg:
      return std::make_unique<SvgFile>(inPath, inWidth, inHeight, inRootData);
    case PictureFormat::kPng:
    case PictureFormat::kPdf:
      return std::make_unique<CairoFile>(inFormat, inPath, inWidth, inHeight);
    default:
      return nullptr;
  }
}

std::string XmlEscape(const std::string& inText) {
  std::string theResult;
  theResult.reserve(inText.size());
  for (char theChar : inText) {
    switch (theChar) {
      case '&': theResult += "&amp;"; break;
      case '<': theResult += "&lt;"; break;
      case '>': theResult += "&gt;"; break;
      case '"': theResult += "&quot;"; break;
      default:
        // Control characters other than tab and newline are not allowed in XML 1.0.
        if (static_cast<unsigned char>(theChar) < 0x20 && theChar != '\n' && theChar != '\t') {
          theResult += ' ';
        } else {
          theResult += theChar;
        }
    }
  }
  return theResult;
}
