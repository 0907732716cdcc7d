// The program icon: a union shield, navy chief with three stars over seven
// red and white pales. The geometry lives on a 256-unit square and is shared by
// the bitmaps and the SVG.
#include "artgen.h"

#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <array>
#include <cmath>
#include <numbers>
#include <utility>

namespace art {
namespace {

constexpr double kLeft = 44, kRight = 212, kTop = 28, kChiefBottom = 100;
constexpr int kPales = 7;
constexpr double kPale = (kRight - kLeft) / kPales;
constexpr double kOutline = 12;
constexpr std::array<double, 3> kStarX{84, 128, 172};
constexpr double kStarY = 64, kStarRadius = 21;

struct Palette {
  QColor outline, navy, red, white, star;
};

QPainterPath Shield() {
  QPainterPath path;
  path.moveTo(kLeft, kTop);
  path.lineTo(kRight, kTop);
  path.lineTo(kRight, 124);
  path.cubicTo(kRight, 176, 176, 208, 128, 232);
  path.cubicTo(80, 208, kLeft, 176, kLeft, 124);
  path.closeSubpath();
  return path;
}

std::array<QPointF, 10> StarPoints(double cx, double cy, double r) {
  std::array<QPointF, 10> pts;
  for (int i = 0; i < 10; ++i) {
    const double a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
    const double rr = i % 2 ? r * 0.382 : r;
    pts[static_cast<size_t>(i)] = QPointF(cx + rr * std::cos(a), cy + rr * std::sin(a));
  }
  return pts;
}

}  // namespace

std::vector<QRgb> VgaColours() {
  return {0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080, 0xff800080,
          0xff008080, 0xffc0c0c0, 0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00,
          0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff};
}

QImage PaintIcon(int size, bool vga) {
  const Palette colours = vga ? Palette{Qt::black, QColor(0, 0, 128), QColor(128, 0, 0), Qt::white, Qt::white}
                              : Palette{QColor(30, 26, 22), QColor(34, 48, 104), QColor(168, 34, 42),
                                        QColor(244, 238, 222), QColor(250, 246, 232)};
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, !vga);
  p.scale(size / 256.0, size / 256.0);
  const QPainterPath shield = Shield();

  p.save();
  p.setClipPath(shield);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < kPales; ++i) {
    p.setBrush(i % 2 ? colours.white : colours.red);
    p.drawRect(QRectF(kLeft + i * kPale, kChiefBottom, kPale, 256 - kChiefBottom));
  }
  p.setBrush(colours.navy);
  p.drawRect(QRectF(kLeft, kTop, kRight - kLeft, kChiefBottom - kTop));
  p.setBrush(colours.star);
  if (!vga || size != 32) {
    for (double x : kStarX) {
      const auto pts = StarPoints(x, kStarY, kStarRadius);
      p.drawPolygon(pts.data(), static_cast<int>(pts.size()));
    }
  }
  p.restore();

  p.setBrush(Qt::NoBrush);
  const double outline = vga ? 256.0 / size : kOutline;
  p.setPen(QPen(colours.outline, outline, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  p.drawPath(shield);
  p.setPen(QPen(colours.outline, vga ? outline : kOutline / 2));
  p.drawLine(QPointF(kLeft, kChiefBottom), QPointF(kRight, kChiefBottom));
  p.end();

  if (vga && size == 32) {
    // At 32 pixels a drawn star is a blot: set the three stars pixel by pixel.
    // The shield covers columns 5..26, so the middle star is two pixels wide at the top.
    static constexpr const char* kSide[] = {"..#..", "..#..", "#####", ".###.", ".#.#."};
    static constexpr const char* kMiddle[] = {"..##..", "..##..", "######", ".####.", ".#..#."};
    const std::array<std::pair<int, const char* const*>, 3> stars{{{7, kSide}, {13, kMiddle}, {20, kSide}}};
    for (const auto& [left, rows] : stars) {
      for (int row = 0; row < 5; ++row) {
        for (int col = 0; rows[row][col]; ++col) {
          if (rows[row][col] == '#') img.setPixel(left + col, 6 + row, colours.star.rgb());
        }
      }
    }
  }
  return img;
}

namespace {

// SVG path data for a Qt path. The pales and the chief are written already
// cut to the shield, so the file needs no clip paths (which some icon
// renderers ignore).
QString PathData(const QPainterPath& path) {
  QString d;
  auto num = [](double v) { return QString::number(v, 'f', 2); };
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    if (e.isMoveTo()) {
      d += QStringLiteral("M%1,%2 ").arg(num(e.x), num(e.y));
    } else if (e.isLineTo()) {
      d += QStringLiteral("L%1,%2 ").arg(num(e.x), num(e.y));
    } else if (e.isCurveTo()) {
      const QPainterPath::Element c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
      d += QStringLiteral("C%1,%2 %3,%4 %5,%6 ")
               .arg(num(e.x), num(e.y), num(c2.x), num(c2.y), num(end.x), num(end.y));
      i += 2;
    }
  }
  return d + QLatin1Char('Z');
}

}  // namespace

QString IconSvg() {
  QString out;
  QTextStream s(&out);
  const QPainterPath shield = Shield();
  s << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n";
  s << "  <title>Dravenholt</title>\n";
  for (int i = 0; i < kPales; ++i) {
    QPainterPath pale;
    pale.addRect(QRectF(kLeft + i * kPale, kChiefBottom, kPale, 256 - kChiefBottom));
    s << "  <path fill=\"" << (i % 2 ? "#f4eede" : "#a8222a") << "\" d=\"" << PathData(shield.intersected(pale))
      << "\"/>\n";
  }
  QPainterPath chief;
  chief.addRect(QRectF(kLeft, kTop, kRight - kLeft, kChiefBottom - kTop));
  s << "  <path fill=\"#223068\" d=\"" << PathData(shield.intersected(chief)) << "\"/>\n";
  for (double x : kStarX) {
    s << "  <polygon fill=\"#faf6e8\" points=\"";
    const auto pts = StarPoints(x, kStarY, kStarRadius);
    for (size_t i = 0; i < pts.size(); ++i) {
      s << (i ? " " : "") << QString::number(pts[i].x(), 'f', 2) << "," << QString::number(pts[i].y(), 'f', 2);
    }
    s << "\"/>\n";
  }
  s << "  <path fill=\"none\" stroke=\"#1e1a16\" stroke-width=\"" << kOutline << "\" d=\"" << PathData(shield)
    << "\"/>\n";
  s << "  <path stroke=\"#1e1a16\" stroke-width=\"" << kOutline / 2 << "\" d=\"M" << kLeft << "," << kChiefBottom
    << " H" << kRight << "\"/>\n";
  s << "</svg>\n";
  return out;
}

}  // namespace art
