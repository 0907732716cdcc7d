// Page button faces, drawn pixel by pixel in the classic bevelled style:
// black outline, a two-pixel white bevel top and left, a two-pixel dark grey
// bevel bottom and right, and a five-row-wide triangle in the middle.
#include "artgen.h"

#include <cstdlib>

namespace art {
namespace {

constexpr int kWidth = 19;
constexpr int kHeight = 23;
constexpr QRgb kBlack = 0xff000000;
constexpr QRgb kShadow = 0xff808080;
constexpr QRgb kFace = 0xffc0c0c0;
constexpr QRgb kWhite = 0xffffffff;

void Span(QImage& img, int x0, int x1, int y, QRgb c) {
  for (int x = x0; x <= x1; ++x) img.setPixel(x, y, c);
}

void Column(QImage& img, int x, int y0, int y1, QRgb c) {
  for (int y = y0; y <= y1; ++y) img.setPixel(x, y, c);
}

// The triangle's rows run 7..15 around row 11; its base is five pixels wide.
void Triangle(QImage& img, Arrow arrow, int dx, int dy, QRgb c) {
  for (int y = 7; y <= 15; ++y) {
    const int k = std::abs(y - 11);
    for (int x = 6 + k; x <= 10; ++x) {
      const int px = arrow == Arrow::Left ? x : kWidth - 1 - x;
      img.setPixel(px + dx, y + dy, c);
    }
  }
}

// The focus frame: every other pixel, as the system draws a focus rectangle.
void DottedFrame(QImage& img, int left, int top, int right, int bottom) {
  for (int x = left; x <= right; ++x) {
    for (int y : {top, bottom}) {
      if ((x + y) % 2 == 0) img.setPixel(x, y, kBlack);
    }
  }
  for (int y = top; y <= bottom; ++y) {
    for (int x : {left, right}) {
      if ((x + y) % 2 == 0) img.setPixel(x, y, kBlack);
    }
  }
}

}  // namespace

std::vector<QRgb> ButtonColours() { return {kBlack, kShadow, kFace, kWhite}; }

QImage PaintPageButton(Arrow arrow, Face face) {
  QImage img(kWidth, kHeight, QImage::Format_ARGB32);
  img.fill(kFace);
  Span(img, 0, kWidth - 1, 0, kBlack);
  Span(img, 0, kWidth - 1, kHeight - 1, kBlack);
  Column(img, 0, 0, kHeight - 1, kBlack);
  Column(img, kWidth - 1, 0, kHeight - 1, kBlack);

  if (face == Face::Down) {
    // Pressed: a shadow along the top and left, the content moved by one pixel.
    Span(img, 1, kWidth - 2, 1, kShadow);
    Column(img, 1, 1, kHeight - 2, kShadow);
    Triangle(img, arrow, 1, 1, kBlack);
    DottedFrame(img, 5, 5, kWidth - 4, kHeight - 4);
    return img;
  }

  for (int i = 1; i <= 2; ++i) {
    Span(img, 1, kWidth - 1 - i, i, kWhite);
    Column(img, i, 1, kHeight - 1 - i, kWhite);
    Span(img, i, kWidth - 2, kHeight - 1 - i, kShadow);
    Column(img, kWidth - 1 - i, i, kHeight - 2, kShadow);
  }
  switch (face) {
    case Face::Up:
      Triangle(img, arrow, 0, 0, kBlack);
      break;
    case Face::Focus:
      Triangle(img, arrow, 0, 0, kBlack);
      DottedFrame(img, 4, 4, kWidth - 5, kHeight - 5);
      break;
    case Face::Dim:
      // Etched: a white copy one pixel down and right under a grey one.
      Triangle(img, arrow, 1, 1, kWhite);
      Triangle(img, arrow, 0, 0, kShadow);
      break;
    case Face::Down:
      break;
  }
  return img;
}

}  // namespace art
