// The search screen's backdrop: aged paper, an engraved title banner flanked by
// a union shield in laurel and a pair of crossed flags, the captions of the
// screen, and a ledger-ruled result table. The controls, the count line and the
// result rows are drawn over it by the viewer at fixed places, so everything in
// the "Fixed layout" block below must stay where it is.
#include "artgen.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace art {
namespace {

// ---- Fixed layout (view pixels; right and bottom inclusive unless noted) ----
constexpr int kWidth = 632;
constexpr int kHeight = 453;
// White boxes under the two name fields (x, y, width, height).
constexpr QRect kSurnameBox(146, 147, 147, 24);
constexpr QRect kGivenNameBox(321, 147, 154, 24);
// The count line is drawn from (217, 183); its caption must end left of it.
constexpr int kCountLeft = 217;
constexpr int kCountTop = 183;
// Page buttons, 19 x 23 each.
constexpr QRect kPrevButton(535, 165, 19, 23);
constexpr QRect kNextButton(561, 165, 19, 23);
// Result table frame: three-pixel edges, inside x 15..616, y 211..414.
constexpr int kFrameLeft = 12, kFrameTop = 208, kFrameRight = 619, kFrameBottom = 417;
constexpr int kHeadingTop = 211, kHeadingBottom = 236;  // rows start at 237
constexpr std::array<int, 3> kColumnLeft{21, 165, 306};
constexpr int kRuleSingle = 155;
constexpr std::array<int, 2> kRuleDouble{294, 298};
// Push buttons sit on y 425..445 (422 with large fonts), x 62..562: kept plain.

// ---- Colours ----
constexpr QRgb kPaper = 0xffebe0c2;        // parchment
constexpr QRgb kPaperEdge = 0xffc4aa7a;    // browned edges
constexpr QRgb kTableInside = 0xfffaf6ea;  // pale ledger paper under the rows
constexpr QRgb kHeadingBand = 0xffe6d9b6;
constexpr QRgb kWhite = 0xffffffff;
constexpr QRgb kRule = 0xff2a1e12;         // column rules
constexpr std::array<QRgb, 3> kFrameDark{0xff6e5438, 0xff3a2916, 0xff24180c};   // x 12, 13, 14
constexpr std::array<QRgb, 3> kFrameGrey{0xffd0cabc, 0xffb0aa9c, 0xff948e82};  // x 617, 618, 619 (inside out)
const QColor kInk(58, 40, 24);
const QColor kInkSoft(112, 86, 56);
const QColor kHighlight(250, 244, 226);
const QColor kRed(152, 50, 42);
const QColor kNavy(46, 56, 94);
const QColor kFlagWhite(238, 228, 202);
const QColor kGold(172, 130, 58);
const QColor kLeaf(92, 96, 50);
const QColor kLeafDark(60, 62, 32);

// ---- Deterministic noise ----
uint32_t Hash(int x, int y, uint32_t seed) {
  uint32_t h = seed ^ (static_cast<uint32_t>(x) * 0x27d4eb2du) ^ (static_cast<uint32_t>(y) * 0x165667b1u);
  h ^= h >> 15;
  h *= 0x85ebca6bu;
  h ^= h >> 13;
  h *= 0xc2b2ae35u;
  h ^= h >> 16;
  return h;
}

double Unit(int x, int y, uint32_t seed) { return (Hash(x, y, seed) & 0xffff) / 32767.5 - 1.0; }

// Smoothly interpolated lattice noise in [-1, 1].
double ValueNoise(double x, double y, double cell, uint32_t seed) {
  const double fx = x / cell, fy = y / cell;
  const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
  const double tx = fx - ix, ty = fy - iy;
  const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  const double a = Unit(ix, iy, seed), b = Unit(ix + 1, iy, seed);
  const double c = Unit(ix, iy + 1, seed), d = Unit(ix + 1, iy + 1, seed);
  return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

int Clamp(double v) { return std::clamp(static_cast<int>(std::lround(v)), 0, 255); }

QRgb Mix(QRgb a, QRgb b, double t) {
  return qRgb(Clamp(qRed(a) + (qRed(b) - qRed(a)) * t), Clamp(qGreen(a) + (qGreen(b) - qGreen(a)) * t),
              Clamp(qBlue(a) + (qBlue(b) - qBlue(a)) * t));
}

// Aged paper: browned towards the edges, mottled, with a faint grain. `scale` device pixels make
// one view pixel; the mottle is sampled at each device pixel's place in view pixels, the grain
// is the view pixel's own, so every rendering shows the same sheet.
void Paper(QImage& img, double scale) {
  for (int y = 0; y < img.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    const double vy = (y + 0.5) / scale - 0.5;
    const int gy = static_cast<int>(std::floor(y / scale));
    for (int x = 0; x < img.width(); ++x) {
      const double vx = (x + 0.5) / scale - 0.5;
      const double dx = (vx - kWidth / 2.0) / (kWidth / 2.0), dy = (vy - kHeight / 2.0) / (kHeight / 2.0);
      const double r = std::sqrt(dx * dx * 0.9 + dy * dy * 1.1);
      double edge = std::clamp((r - 0.62) / 0.55, 0.0, 1.0);
      edge = edge * edge * (3 - 2 * edge) * 0.85;
      const double mottle = 0.65 * ValueNoise(vx, vy, 61, 11) + 0.35 * ValueNoise(vx, vy, 17, 23);
      QRgb c = Mix(kPaper, kPaperEdge, std::clamp(edge + 0.10 * mottle, 0.0, 1.0));
      const double grain = 2.2 * Unit(static_cast<int>(std::floor(x / scale)), gy, 37) + 5.0 * mottle;
      line[x] = qRgb(Clamp(qRed(c) + grain), Clamp(qGreen(c) + grain), Clamp(qBlue(c) + grain * 0.8));
    }
  }
}

QFont Font(const QString& family, double pixels, QFont::Capitalization caps = QFont::MixedCase) {
  QFont f(family);
  f.setPixelSize(static_cast<int>(pixels));
  f.setHintingPreference(QFont::PreferNoHinting);
  f.setStyleStrategy(QFont::PreferAntialias);
  f.setKerning(true);
  f.setCapitalization(caps);
  return f;
}

// Letterpress: a pale impression down and right, the ink on top.
void Engraved(QPainter& p, QPointF at, const QString& text, const QColor& ink) {
  p.setPen(QColor(kHighlight.red(), kHighlight.green(), kHighlight.blue(), 200));
  p.drawText(at + QPointF(0.8, 0.8), text);
  p.setPen(ink);
  p.drawText(at, text);
}

QPainterPath Star(QPointF c, double r, double rotation = 0) {
  QPainterPath path;
  for (int i = 0; i < 10; ++i) {
    const double a = -std::numbers::pi / 2 + rotation + i * std::numbers::pi / 5;
    const double rr = i % 2 ? r * 0.382 : r;
    const QPointF pt(c.x() + rr * std::cos(a), c.y() + rr * std::sin(a));
    if (i == 0) path.moveTo(pt); else path.lineTo(pt);
  }
  path.closeSubpath();
  return path;
}

void Diamond(QPainter& p, QPointF c, double r, const QColor& colour) {
  const std::array<QPointF, 4> pts{QPointF(c.x(), c.y() - r), QPointF(c.x() + r, c.y()), QPointF(c.x(), c.y() + r),
                                   QPointF(c.x() - r, c.y())};
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawPolygon(pts.data(), 4);
}

// Thick-and-thin rule round a rectangle, as on an engraved certificate.
void CertificateBorder(QPainter& p, const QRectF& outer, double gap) {
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kInk, 2.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.drawRect(outer);
  p.setPen(QPen(kInk, 0.8, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.drawRect(outer.adjusted(gap, gap, -gap, -gap));
}

// A corner rosette: a star in a small square.
void CornerPiece(QPainter& p, QPointF c) {
  const QRectF box(c.x() - 5, c.y() - 5, 10, 10);
  p.setPen(QPen(kInk, 1.0));
  p.setBrush(QColor(qRed(kPaper), qGreen(kPaper), qBlue(kPaper)));
  p.drawRect(box);
  p.setPen(Qt::NoPen);
  p.setBrush(kRed.darker(110));
  p.drawPath(Star(c, 4.2, 0.0));
}

// ---- Emblems ----

QPainterPath UnionShield(const QRectF& r) {
  const double w = r.width(), h = r.height();
  QPainterPath path;
  path.moveTo(r.left(), r.top() + h * 0.06);
  path.quadTo(r.left() + w * 0.25, r.top() + h * 0.10, r.center().x(), r.top());
  path.quadTo(r.left() + w * 0.75, r.top() + h * 0.10, r.right(), r.top() + h * 0.06);
  path.lineTo(r.right(), r.top() + h * 0.52);
  path.cubicTo(r.right(), r.top() + h * 0.78, r.left() + w * 0.70, r.top() + h * 0.90, r.center().x(), r.bottom());
  path.cubicTo(r.left() + w * 0.30, r.top() + h * 0.90, r.left(), r.top() + h * 0.78, r.left(), r.top() + h * 0.52);
  path.closeSubpath();
  return path;
}

void DrawShield(QPainter& p, const QRectF& r) {
  const QPainterPath shield = UnionShield(r);
  p.save();
  p.setClipPath(shield);
  p.setPen(Qt::NoPen);
  constexpr int kPales = 13;
  const double chief = r.top() + r.height() * 0.30;
  for (int i = 0; i < kPales; ++i) {
    p.setBrush(i % 2 ? kFlagWhite : kRed);
    p.drawRect(QRectF(r.left() + r.width() * i / kPales, chief, r.width() / kPales + 0.5, r.height()));
  }
  p.setBrush(kNavy);
  p.drawRect(QRectF(r.left(), r.top() - 2, r.width(), chief - r.top() + 2));
  p.setBrush(kFlagWhite);
  for (int i = 0; i < 5; ++i) {
    const double x = r.left() + r.width() * (0.14 + 0.18 * i);
    const double y = chief - r.height() * (i % 2 ? 0.10 : 0.15);
    p.drawPath(Star(QPointF(x, y), r.width() * 0.075));
  }
  // Shading: light from the upper left, the right flank in shadow.
  QLinearGradient shade(r.topLeft(), r.topRight());
  shade.setColorAt(0.0, QColor(255, 250, 230, 40));
  shade.setColorAt(0.5, QColor(0, 0, 0, 0));
  shade.setColorAt(1.0, QColor(40, 20, 0, 70));
  p.setBrush(shade);
  p.drawRect(r.adjusted(-1, -1, 1, 1));
  p.restore();
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kGold, 3.0));
  p.drawPath(shield);
  p.setPen(QPen(kInk, 1.1));
  p.drawPath(shield);
  p.setPen(QPen(kInk, 0.9));
  p.drawLine(QPointF(r.left(), r.top() + r.height() * 0.30), QPointF(r.right(), r.top() + r.height() * 0.30));
}

// A laurel branch from `root` curving through `control` to `tip`; leaves
// alternate along it and shrink towards the tip. `side` picks the curl direction.
void LaurelBranch(QPainter& p, QPointF root, QPointF control, QPointF tip, int side) {
  auto at = [&](double t) {
    const double u = 1 - t;
    return QPointF(u * u * root.x() + 2 * u * t * control.x() + t * t * tip.x(),
                   u * u * root.y() + 2 * u * t * control.y() + t * t * tip.y());
  };
  QPainterPath stem;
  stem.moveTo(root);
  stem.quadTo(control, tip);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kLeafDark, 1.4, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(stem);

  constexpr int kPairs = 9;
  for (int i = 0; i < kPairs; ++i) {
    const double t = 0.08 + 0.9 * i / kPairs;
    const QPointF c = at(t), ahead = at(std::min(1.0, t + 0.02));
    const double heading = std::atan2(ahead.y() - c.y(), ahead.x() - c.x()) * 180 / std::numbers::pi;
    const double size = 9.0 - 4.0 * t;
    for (int s : {-1, 1}) {
      p.save();
      p.translate(c);
      p.rotate(heading + s * 42 * side);
      QPainterPath leaf;
      leaf.moveTo(0, 0);
      leaf.quadTo(size * 0.5, -size * 0.36, size, 0);
      leaf.quadTo(size * 0.5, size * 0.36, 0, 0);
      p.setPen(QPen(kLeafDark, 0.6));
      p.setBrush(s > 0 ? kLeaf : kLeaf.lighter(112));
      p.drawPath(leaf);
      p.setPen(QPen(kLeafDark, 0.4));
      p.drawLine(QPointF(0.5, 0), QPointF(size * 0.8, 0));
      p.restore();
    }
  }
  p.setPen(Qt::NoPen);
  p.setBrush(kLeaf);
  p.drawEllipse(tip, 1.8, 2.6);
}

void ShieldEmblem(QPainter& p, QPointF centre) {
  const QRectF shield(centre.x() - 24, centre.y() - 30, 48, 60);
  LaurelBranch(p, centre + QPointF(-4, 36), centre + QPointF(-46, 26), centre + QPointF(-32, -36), 1);
  LaurelBranch(p, centre + QPointF(4, 36), centre + QPointF(46, 26), centre + QPointF(32, -36), -1);
  DrawShield(p, shield);
  // A ribbon bow where the stems cross.
  const QPointF knot = centre + QPointF(0, 36);
  p.setPen(QPen(kInk, 0.7));
  p.setBrush(kRed);
  QPainterPath bow;
  bow.moveTo(knot);
  bow.cubicTo(knot + QPointF(-10, -6), knot + QPointF(-12, 5), knot);
  bow.cubicTo(knot + QPointF(12, 5), knot + QPointF(10, -6), knot);
  p.drawPath(bow);
  QPainterPath tails;
  tails.moveTo(knot + QPointF(-1, 1));
  tails.lineTo(knot + QPointF(-7, 9));
  tails.lineTo(knot + QPointF(-4, 9));
  tails.lineTo(knot + QPointF(0, 3));
  tails.lineTo(knot + QPointF(4, 9));
  tails.lineTo(knot + QPointF(7, 9));
  tails.lineTo(knot + QPointF(1, 1));
  tails.closeSubpath();
  p.drawPath(tails);
  // Thirteen stars in an arc above.
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  for (int i = 0; i < 13; ++i) {
    const double a = std::numbers::pi * (1.18 + 0.64 * i / 12.0);
    p.drawPath(Star(centre + QPointF(44 * std::cos(a), 8 + 44 * std::sin(a)), 2.6));
  }
}

// A flag hanging from a staff, rippling away from it. Its hoist runs from
// `hoist` along the unit vector `down` (the staff's direction); the fly goes
// out horizontally, to the right when `dir` is +1 and to the left when -1.
void WavingFlag(QPainter& p, QPointF hoist, QPointF down, double length, double depth, int dir, double phase) {
  constexpr int kSteps = 28;
  auto point = [&](double u, double v) {
    const double wave = std::sin(2 * std::numbers::pi * (1.15 * u) + phase) * 3.6 * u;
    const double droop = 4.0 * u * u;
    return hoist + down * (v * depth) + QPointF(dir * u * length, wave + droop);
  };
  auto band = [&](double u0, double u1, double v0, double v1) {
    QPainterPath path;
    path.moveTo(point(u0, v0));
    for (int i = 1; i <= kSteps; ++i) path.lineTo(point(u0 + (u1 - u0) * i / kSteps, v0));
    for (int i = kSteps; i >= 0; --i) path.lineTo(point(u0 + (u1 - u0) * i / kSteps, v1));
    path.closeSubpath();
    return path;
  };
  const QPainterPath outline = band(0, 1, 0, 1);
  p.save();
  p.setClipPath(outline);
  p.setPen(Qt::NoPen);
  p.setBrush(kFlagWhite);
  p.drawPath(outline);
  p.setBrush(kRed);
  for (int s = 0; s < 13; s += 2) p.drawPath(band(0, 1, s / 13.0, (s + 1) / 13.0));
  p.setBrush(kNavy);
  p.drawPath(band(0, 0.42, 0, 7 / 13.0));
  p.setBrush(kFlagWhite);
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 5; ++col) {
      const double u = 0.05 + 0.08 * col + (row % 2 ? 0.04 : 0);
      if (u > 0.40) continue;
      p.drawEllipse(point(u, 0.07 + 0.13 * row), 0.9, 0.9);
    }
  }
  // Light and shadow across the folds.
  QLinearGradient folds(hoist, hoist + QPointF(dir * length, 0));
  for (int i = 0; i <= 20; ++i) {
    const double u = i / 20.0;
    const double slope = std::cos(2 * std::numbers::pi * 1.15 * u + phase);
    folds.setColorAt(u, slope > 0 ? QColor(255, 248, 225, static_cast<int>(60 * slope))
                                  : QColor(30, 15, 0, static_cast<int>(-80 * slope)));
  }
  p.setBrush(folds);
  p.drawRect(outline.boundingRect().adjusted(-2, -2, 2, 2));
  p.restore();
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kInk, 0.8));
  p.drawPath(outline);
}

void Staff(QPainter& p, QPointF foot, QPointF head) {
  p.setPen(QPen(kInkSoft.darker(130), 2.4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(foot, head);
  // Spear-point finial.
  const QPointF d = (head - foot) / std::hypot(head.x() - foot.x(), head.y() - foot.y());
  const QPointF n(-d.y(), d.x());
  QPainterPath spear;
  spear.moveTo(head + d * 9);
  spear.quadTo(head + d * 3 + n * 4, head);
  spear.quadTo(head + d * 3 - n * 4, head + d * 9);
  p.setPen(QPen(kInk, 0.6));
  p.setBrush(kGold);
  p.drawPath(spear);
  p.drawEllipse(head - d * 1.5, 2.0, 2.0);
}

void CrossedFlags(QPainter& p, QPointF cross) {
  // Staffs cross at `cross`; each flag flies outward from the top of its staff.
  const QPointF leftHead = cross + QPointF(-24, -44), rightHead = cross + QPointF(24, -44);
  const QPointF leftFoot = cross + QPointF(18, 34), rightFoot = cross + QPointF(-18, 34);
  Staff(p, leftFoot, leftHead);
  Staff(p, rightFoot, rightHead);
  auto unit = [](QPointF v) { return v / std::hypot(v.x(), v.y()); };
  const QPointF leftDown = unit(leftFoot - leftHead), rightDown = unit(rightFoot - rightHead);
  WavingFlag(p, leftHead + leftDown * 3, leftDown, 37, 27, -1, 0.9);
  WavingFlag(p, rightHead + rightDown * 3, rightDown, 37, 27, 1, 0.9);
  // Cords and tassels where the staffs cross.
  p.setPen(QPen(kGold.darker(120), 1.0));
  p.setBrush(Qt::NoBrush);
  QPainterPath cord;
  cord.moveTo(cross + QPointF(0, -2));
  cord.cubicTo(cross + QPointF(-10, 4), cross + QPointF(-10, 12), cross + QPointF(-12, 16));
  cord.moveTo(cross + QPointF(0, -2));
  cord.cubicTo(cross + QPointF(10, 4), cross + QPointF(10, 12), cross + QPointF(12, 16));
  p.drawPath(cord);
  p.setPen(QPen(kInk, 0.5));
  p.setBrush(kGold);
  for (int s : {-1, 1}) {
    QPainterPath tassel;
    const QPointF top = cross + QPointF(12 * s, 15);
    tassel.moveTo(top);
    tassel.lineTo(top + QPointF(-2.5, 6));
    tassel.lineTo(top + QPointF(2.5, 6));
    tassel.closeSubpath();
    p.drawPath(tassel);
  }
  p.drawEllipse(cross + QPointF(0, -2), 2.2, 2.2);
}

// A cavalry sabre lying along +x from its pommel at the origin, curving up.
void Sabre(QPainter& p, double length) {
  QPainterPath blade;
  blade.moveTo(18, -1.6);
  blade.quadTo(length * 0.6, -5.0, length, -9.0);
  blade.quadTo(length * 0.6, 0.2, 18, 2.0);
  blade.closeSubpath();
  p.setPen(QPen(kInk, 0.7));
  QLinearGradient steel(0, -4, 0, 3);
  steel.setColorAt(0, QColor(236, 230, 214));
  steel.setColorAt(1, QColor(150, 142, 128));
  p.setBrush(steel);
  p.drawPath(blade);
  p.setPen(QPen(kInkSoft, 0.5));
  QPainterPath fuller;
  fuller.moveTo(22, -0.8);
  fuller.quadTo(length * 0.55, -3.4, length * 0.85, -6.2);
  p.setBrush(Qt::NoBrush);
  p.drawPath(fuller);
  // Grip, pommel and the brass knuckle bow.
  p.setPen(QPen(kInk, 0.6));
  p.setBrush(QColor(70, 48, 30));
  p.drawRoundedRect(QRectF(2, -2.4, 14, 4.8), 2, 2);
  p.setBrush(kGold);
  p.drawEllipse(QPointF(1.5, 0), 2.4, 2.6);
  p.drawRect(QRectF(16, -4.5, 2.5, 9));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kGold.darker(115), 1.6));
  QPainterPath bow;
  bow.moveTo(17, 3.5);
  bow.cubicTo(14, 10, 4, 10, 2, 2.5);
  p.drawPath(bow);
}

void CrossedSabres(QPainter& p, QPointF centre) {
  for (int s : {-1, 1}) {
    p.save();
    p.translate(centre + QPointF(-s * 28, 34));
    if (s > 0) {
      p.rotate(-58);
    } else {
      p.scale(-1, 1);
      p.rotate(-58);
    }
    Sabre(p, 72);
    p.restore();
  }
}

// A ribbon scroll with a motto, its ends folded back.
void Ribbon(QPainter& p, const QRectF& r, const QString& text, const QFont& font) {
  const double fold = 8;
  p.setPen(QPen(kInk, 0.8));
  p.setBrush(QColor(214, 196, 156));
  for (int s : {-1, 1}) {
    const double x = s < 0 ? r.left() : r.right();
    QPainterPath end;
    end.moveTo(x, r.top() + 4);
    end.lineTo(x + s * 12, r.top() + 4);   // swallow-tailed end, set back behind the band
    end.lineTo(x + s * 8, r.center().y() + 4);
    end.lineTo(x + s * 12, r.bottom() + 4);
    end.lineTo(x, r.bottom() + 4);
    end.closeSubpath();
    p.drawPath(end);
  }
  QPainterPath band;
  band.moveTo(r.left(), r.top());
  band.quadTo(r.center().x(), r.top() - 4, r.right(), r.top());
  band.lineTo(r.right(), r.bottom());
  band.quadTo(r.center().x(), r.bottom() - 4, r.left(), r.bottom());
  band.closeSubpath();
  p.setBrush(QColor(232, 218, 184));
  p.drawPath(band);
  p.setPen(QPen(kInkSoft, 0.5));
  p.drawLine(QPointF(r.left() + fold, r.top() + 2), QPointF(r.left() + fold, r.bottom() - 1));
  p.drawLine(QPointF(r.right() - fold, r.top() + 2), QPointF(r.right() - fold, r.bottom() - 1));
  p.setFont(font);
  const QFontMetricsF fm(font);
  const double w = fm.horizontalAdvance(text);
  p.setPen(kInk);
  p.drawText(QPointF(r.center().x() - w / 2, r.center().y() + fm.capHeight() / 2 - 1), text);
}

// ---- The parts of the picture ----

void Banner(QPainter& p, const Fonts& fonts) {
  const QRectF banner(10.5, 10.5, 611, 98);
  p.setPen(Qt::NoPen);
  QLinearGradient tint(banner.topLeft(), banner.bottomLeft());
  tint.setColorAt(0, QColor(120, 82, 40, 34));
  tint.setColorAt(1, QColor(120, 82, 40, 14));
  p.setBrush(tint);
  p.drawRect(banner);
  CertificateBorder(p, banner, 3);

  // Panels: emblem, title, emblem.
  for (double x : {150.5, 481.5}) {
    p.setPen(QPen(kInk, 0.8));
    p.drawLine(QPointF(x - 2, banner.top() + 3), QPointF(x - 2, banner.bottom() - 3));
    p.drawLine(QPointF(x + 2, banner.top() + 3), QPointF(x + 2, banner.bottom() - 3));
    Diamond(p, QPointF(x, banner.center().y()), 4, kInk);
  }
  ShieldEmblem(p, QPointF(80, 58));
  CrossedFlags(p, QPointF(551, 67));

  // Title, fitted to its panel.
  const double panelLeft = 156, panelRight = 476;
  QFont title = Font(fonts.display, 60);
  title.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
  const QString name = QStringLiteral("Dravenholt");
  while (QFontMetricsF(title).horizontalAdvance(name) > panelRight - panelLeft - 24) {
    title.setPixelSize(title.pixelSize() - 1);
  }
  const QFontMetricsF tm(title);
  const double titleWidth = tm.horizontalAdvance(name) - 1.0;
  const double titleLeft = (panelLeft + panelRight - titleWidth) / 2;
  const double baseline = 70;
  p.setFont(title);
  p.setPen(QColor(120, 80, 40, 70));
  p.drawText(QPointF(titleLeft + 2, baseline + 2), name);  // soft shadow
  Engraved(p, QPointF(titleLeft, baseline), name, kInk);

  // Family name under the right end of the title, led in by a rule.
  QFont family = Font(fonts.serifItalic, 19);
  family.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
  const QString kin = QStringLiteral("Kinloom");
  const double kinWidth = QFontMetricsF(family).horizontalAdvance(kin) - 1.2;
  const double kinLeft = titleLeft + titleWidth - kinWidth;
  p.setFont(family);
  Engraved(p, QPointF(kinLeft, 96), kin, kInkSoft.darker(120));
  const double ruleY = 90.5;
  p.setPen(QPen(kInk, 0.8));
  p.drawLine(QPointF(titleLeft + 4, ruleY), QPointF(kinLeft - 10, ruleY));
  p.drawLine(QPointF(titleLeft + 20, ruleY + 2.5), QPointF(kinLeft - 26, ruleY + 2.5));
  Diamond(p, QPointF(titleLeft + 2, ruleY + 1), 2.5, kRed);
  Diamond(p, QPointF(kinLeft - 7, ruleY + 1), 2.5, kRed);
}

void Captions(QPainter& p, const Fonts& fonts) {
  const QFont caption = Font(fonts.serifBold, 14);
  const QFontMetricsF fm(caption);
  p.setFont(caption);
  Engraved(p, QPointF(kSurnameBox.left() + 1, kSurnameBox.top() - 5), QStringLiteral("Surname"), kInk);
  Engraved(p, QPointF(kGivenNameBox.left() + 1, kGivenNameBox.top() - 5), QStringLiteral("Given Name"), kInk);

  // Aligned with the baseline of the count line in a typical desktop font.
  const QString results = QStringLiteral("Search Results:");
  const double resultsWidth = fm.horizontalAdvance(results);
  Engraved(p, QPointF(kCountLeft - 6 - resultsWidth, kCountTop + 12), results, kInk);

  // White boxes for the fields, set into a thin engraved surround.
  for (const QRect& box : {kSurnameBox, kGivenNameBox}) {
    p.setPen(QPen(kInkSoft, 1.0));
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawRect(box.adjusted(-2, -2, 1, 1));
    p.fillRect(box, QColor::fromRgb(kWhite));
    p.setRenderHint(QPainter::Antialiasing, true);
  }
}

void PagePlate(QPainter& p, const Fonts& fonts) {
  const QRectF plate(521.5, 157.5, 72, 48);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(120, 82, 40, 22));
  p.drawRect(plate);
  CertificateBorder(p, plate, 2.5);
  // The buttons stand only 7 pixels apart, so each word hangs from the outer
  // side of the gap: "Back" ends under its button's right edge, "Next" starts
  // under its button's left edge.
  const QFont small = Font(fonts.serif, 11);
  const QFontMetricsF fm(small);
  p.setFont(small);
  const double baseline = kPrevButton.bottom() + 13;
  const QString back = QStringLiteral("Back");
  Engraved(p, QPointF(kPrevButton.right() + 1 - fm.horizontalAdvance(back), baseline), back, kInk);
  Engraved(p, QPointF(kNextButton.left(), baseline), QStringLiteral("Next"), kInk);
}

void Table(QPainter& p, const Fonts& fonts) {
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(QRect(kFrameLeft + 3, kFrameTop + 3, kFrameRight - kFrameLeft - 5, kFrameBottom - kFrameTop - 5),
             QColor::fromRgb(kTableInside));
  p.fillRect(QRect(kFrameLeft + 3, kHeadingTop, kFrameRight - kFrameLeft - 5, kHeadingBottom - kHeadingTop - 2),
             QColor::fromRgb(kHeadingBand));

  // The frame and rules are laid down as whole view pixels, without antialiasing: their columns
  // and rows are fixed, and at any scale their edges fall on device pixels.
  auto hline = [&](int x0, int x1, int y, QRgb c) { p.fillRect(QRect(x0, y, x1 - x0 + 1, 1), QColor::fromRgb(c)); };
  auto vline = [&](int x, int y0, int y1, QRgb c) { p.fillRect(QRect(x, y0, 1, y1 - y0 + 1), QColor::fromRgb(c)); };
  for (int i = 0; i < 3; ++i) {
    // Grey bottom and right first, so the dark top and left edges win the corners.
    hline(kFrameLeft + i, kFrameRight, kFrameBottom - 2 + i, kFrameGrey[static_cast<size_t>(i)]);
    vline(kFrameRight - 2 + i, kFrameTop + i, kFrameBottom, kFrameGrey[static_cast<size_t>(i)]);
  }
  for (int i = 0; i < 3; ++i) {
    hline(kFrameLeft + i, kFrameRight - i, kFrameTop + i, kFrameDark[static_cast<size_t>(i)]);
    vline(kFrameLeft + i, kFrameTop + i, kFrameBottom - i, kFrameDark[static_cast<size_t>(i)]);
  }
  // Heading band ruled off thick and thin, as in a ledger.
  hline(kFrameLeft + 3, kFrameRight - 3, kHeadingBottom - 2, kRule);
  hline(kFrameLeft + 3, kFrameRight - 3, kHeadingBottom, kRule);
  for (int x : {kRuleSingle, kRuleDouble[0], kRuleDouble[1]}) vline(x, kHeadingTop, kFrameBottom - 3, kRule);

  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  QFont heading = Font(fonts.serifBold, 15, QFont::SmallCaps);
  heading.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
  p.setFont(heading);
  p.setPen(kInk);
  const std::array<QString, 3> titles{QStringLiteral("Surname"), QStringLiteral("Given Name"),
                                      QStringLiteral("Information")};
  for (size_t i = 0; i < titles.size(); ++i) p.drawText(QPointF(kColumnLeft[i], kHeadingBottom - 8), titles[i]);
}

void Frame(QPainter& p) {
  CertificateBorder(p, QRectF(4, 4, kWidth - 8, kHeight - 8), 3.5);
  for (QPointF c : {QPointF(5.5, 5.5), QPointF(kWidth - 5.5, 5.5), QPointF(5.5, kHeight - 5.5),
                    QPointF(kWidth - 5.5, kHeight - 5.5)}) {
    CornerPiece(p, c);
  }
  // Small stars either side of the push-button row, clear of the buttons.
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  for (double x : {26.0, 40.0, 592.0, 606.0}) p.drawPath(Star(QPointF(x, 434), 4.2));
}

}  // namespace

bool LoadFonts(const QString& dir, Fonts* fonts, QString* error) {
  auto load = [&](const char* file, QString* family) {
    const QString path = dir + QLatin1Char('/') + QLatin1String(file);
    const int id = QFontDatabase::addApplicationFont(path);
    const QStringList families = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
      *error = QStringLiteral("cannot load font %1").arg(path);
      return false;
    }
    *family = families.first();
    return true;
  };
  return load("URWBookman-Demi.otf", &fonts->display) && load("C059-Roman.otf", &fonts->serif) &&
         load("C059-Bold.otf", &fonts->serifBold) && load("C059-Italic.otf", &fonts->serifItalic);
}

std::vector<QRgb> BackdropFixedColours() {
  std::vector<QRgb> colours{kWhite, kTableInside, kHeadingBand, kRule};
  colours.insert(colours.end(), kFrameDark.begin(), kFrameDark.end());
  colours.insert(colours.end(), kFrameGrey.begin(), kFrameGrey.end());
  return colours;
}

QImage PaintBackdrop(const Fonts& fonts, double scale) {
  QImage img(ScaledSize(QSize(kWidth, kHeight), scale), QImage::Format_ARGB32_Premultiplied);
  Paper(img, scale);
  QPainter p(&img);
  if (scale != 1) p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  Frame(p);
  Banner(p, fonts);
  CrossedSabres(p, QPointF(66, 156));
  Captions(p, fonts);
  PagePlate(p, fonts);
  Ribbon(p, QRectF(500, 124, 94, 17), QStringLiteral("1861 \u2013 1865"), Font(fonts.serifBold, 12));
  Table(p, fonts);
  p.end();
  return img;
}

QImage PaintMockup(const QImage& backdrop) {
  QImage img = backdrop.convertToFormat(QImage::Format_RGB32);
  QPainter p(&img);
  const QFont font = QGuiApplication::font();
  p.setFont(font);
  const int h = QFontMetrics(font).height();
  p.setPen(QColor(15, 25, 8));
  p.drawText(QRect(kCountLeft, kCountTop, 450 - kCountLeft, 220 - kCountTop), Qt::TextSingleLine,
             QStringLiteral("1,284 records found."));
  const std::array<std::array<const char*, 3>, 10> rows{{
      {"MACALLISTER", "Robert J.", "Pvt., Co. C, 14th Regt. Infantry; enl. 12 Aug 1862"},
      {"MACALLISTER", "Thomas", "Sgt., Co. A, 3rd Regt. Cavalry; wounded, Gettysburg"},
      {"MACALLISTER", "William H.", "Cpl., Co. F, 51st Regt. Infantry; mustered out 1865"},
      {"MACALLISTER", "James", "Pvt., Co. K, 8th Regt. Heavy Artillery"},
      {"MACALLISTER", "John P.", "Lt., Co. B, 22nd Regt. Infantry; resigned 1863"},
      {"MACALLISTER", "Samuel", "Pvt., Co. D, 102nd Regt. Infantry; died of disease"},
      {"MACALLISTER", "George W.", "Musician, Co. G, 7th Regt. Infantry"},
      {"MACALLISTER", "Andrew", "Pvt., Co. H, 1st Regt. Light Artillery"},
      {"MACALLISTER", "Hugh", "Pvt., Co. E, 40th Regt. Infantry; captured 1864"},
      {"MACALLISTER", "Daniel R.", "Capt., Co. I, 12th Regt. Cavalry"},
  }};
  const std::array<std::pair<int, int>, 3> columns{{{21, 145}, {165, 286}, {306, 601}}};
  const int count = h >= 20 ? 8 : 10;
  for (int i = 0; i < count; ++i) {
    for (size_t c = 0; c < 3; ++c) {
      p.drawText(QRect(columns[c].first, 237 + i * h, columns[c].second - columns[c].first, h), Qt::TextSingleLine,
                 QString::fromLatin1(rows[static_cast<size_t>(i)][c]));
    }
  }
  // The selected row, inverted cell by cell.
  p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  for (const auto& [left, right] : columns) p.fillRect(QRect(left, 237 + 2 * h, right - left, h), Qt::white);
  return img;
}

}  // namespace art
