// Page button faces, drawn pixel by pixel in the classic bevelled style:
// black outline, a two-pixel white bevel top and left, a two-pixel dark grey
// bevel bottom and right, and a five-row-wide triangle in the middle.
#include "artgen.h"

#include <QPainter>
#include <QPolygonF>

#include <cstdlib>

namespace art {
namespace {

constexpr int kWidth = 19;
constexpr int kHeight = 23;
constexpr QRgb kBlack = 0xff000000;
constexpr QRgb kShadow = 0xff808080;
constexpr QRgb kFace = 0xffc0c0c0;
constexpr QRgb kWhite = 0xffffffff;

// Where a face is drawn: whole view pixels as `scale` x `scale` blocks of device pixels, and the
// triangle either as the pixel rows of the 1:1 bitmap or, above 1, as the shape they approximate.
class Canvas {
 public:
  Canvas(Arrow arrow, double scale)
      : img_(ScaledSize(QSize(kWidth, kHeight), scale), QImage::Format_ARGB32), arrow_(arrow), scale_(scale) {
    painter_.begin(&img_);
    if (scale != 1) painter_.scale(scale, scale);
  }

  void Fill(int x, int y, int w, int h, QRgb c) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.fillRect(QRect(x, y, w, h), QColor::fromRgb(c));
  }
  void Span(int x0, int x1, int y, QRgb c) { Fill(x0, y, x1 - x0 + 1, 1, c); }
  void Column(int x, int y0, int y1, QRgb c) { Fill(x, y0, 1, y1 - y0 + 1, c); }

  // The triangle's rows run 7..15 around row 11; its base is five pixels wide. The shape they
  // approximate has its tip at the middle of row 11 and its base on the right edge of column 10
  // (mirrored for the right arrow).
  void Triangle(int dx, int dy, QRgb c) {
    const auto mirror = [this](double x) { return arrow_ == Arrow::Left ? x : kWidth - x; };
    if (scale_ == 1) {
      for (int y = 7; y <= 15; ++y) {
        const int k = std::abs(y - 11);
        for (int x = 6 + k; x <= 10; ++x) Fill(arrow_ == Arrow::Left ? x + dx : kWidth - 1 - x + dx, y + dy, 1, 1, c);
      }
      return;
    }
    const QPolygonF shape{QPointF(mirror(6) + dx, 11.5 + dy), QPointF(mirror(11) + dx, 6.5 + dy),
                          QPointF(mirror(11) + dx, 16.5 + dy)};
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(QColor::fromRgb(c));
    painter_.drawPolygon(shape);
  }

  // The focus frame: every other pixel, as the system draws a focus rectangle.
  void DottedFrame(int left, int top, int right, int bottom) {
    for (int x = left; x <= right; ++x) {
      for (int y : {top, bottom}) {
        if ((x + y) % 2 == 0) Fill(x, y, 1, 1, kBlack);
      }
    }
    for (int y = top; y <= bottom; ++y) {
      for (int x : {left, right}) {
        if ((x + y) % 2 == 0) Fill(x, y, 1, 1, kBlack);
      }
    }
  }

  QImage Take() {
    painter_.end();
    return img_;
  }

 private:
  QImage img_;
  Arrow arrow_;
  double scale_;
  QPainter painter_;
};

}  // namespace

std::vector<QRgb> ButtonColours() { return {kBlack, kShadow, kFace, kWhite}; }

QImage PaintPageButton(Arrow arrow, Face face, double scale) {
  Canvas c(arrow, scale);
  c.Fill(0, 0, kWidth, kHeight, kFace);
  c.Span(0, kWidth - 1, 0, kBlack);
  c.Span(0, kWidth - 1, kHeight - 1, kBlack);
  c.Column(0, 0, kHeight - 1, kBlack);
  c.Column(kWidth - 1, 0, kHeight - 1, kBlack);

  if (face == Face::Down) {
    // Pressed: a shadow along the top and left, the content moved by one pixel.
    c.Span(1, kWidth - 2, 1, kShadow);
    c.Column(1, 1, kHeight - 2, kShadow);
    c.Triangle(1, 1, kBlack);
    c.DottedFrame(5, 5, kWidth - 4, kHeight - 4);
    return c.Take();
  }

  for (int i = 1; i <= 2; ++i) {
    c.Span(1, kWidth - 1 - i, i, kWhite);
    c.Column(i, 1, kHeight - 1 - i, kWhite);
    c.Span(i, kWidth - 2, kHeight - 1 - i, kShadow);
    c.Column(kWidth - 1 - i, i, kHeight - 2, kShadow);
  }
  switch (face) {
    case Face::Up:
      c.Triangle(0, 0, kBlack);
      break;
    case Face::Focus:
      c.Triangle(0, 0, kBlack);
      c.DottedFrame(4, 4, kWidth - 5, kHeight - 5);
      break;
    case Face::Dim:
      // Etched: a white copy one pixel down and right under a grey one.
      c.Triangle(1, 1, kWhite);
      c.Triangle(0, 0, kShadow);
      break;
    case Face::Down:
      break;
  }
  return c.Take();
}

}  // namespace art
