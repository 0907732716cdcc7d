// artgen: paints the viewer's pictures and writes them into the resource folder.
//
//   artgen <res-dir> [--fonts <dir>] [--mockup <file.png>] [--preview <dir>]
//
// Writes <res-dir>/IDB_*.bmp, their renderings for higher device-pixel ratios
// <res-dir>/hires/IDB_*@<scale>x.png, and <res-dir>/icon/dravenholt{.ico,.svg,-N.png}.
// --mockup also renders the backdrop with sample rows in the default font;
// --preview writes PNG copies of the bitmaps as they were quantised.
#include "artgen.h"
#include "dib.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kDefaultFontDir = "/usr/share/fonts/opentype/urw-base35";

int Fail(const QString& message) {
  std::fprintf(stderr, "artgen: %s\n", qPrintable(message));
  return 1;
}

QImage ToImage(const art::IndexedImage& indexed) {
  QImage img(indexed.width, indexed.height, QImage::Format_ARGB32);
  for (int y = 0; y < indexed.height; ++y) {
    for (int x = 0; x < indexed.width; ++x) {
      const size_t at = static_cast<size_t>(y) * indexed.width + x;
      img.setPixel(x, y, indexed.opaque[at] ? indexed.palette[indexed.pixels[at]] : 0);
    }
  }
  return img;
}

// "1.25", "1.5", "2", "3": the scale as it appears in a file name.
QString ScaleName(double scale) { return QString::number(scale, 'g', 3); }

}  // namespace

QSize art::ScaledSize(QSize size, double scale) {
  return QSize(static_cast<int>(std::lround(size.width() * scale)), static_cast<int>(std::lround(size.height() * scale)));
}

int main(int argc, char** argv) {
  // No display is needed; the offscreen platform keeps the output independent of one.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);

  QString resDir, fontDir = QString::fromLatin1(kDefaultFontDir), mockup, preview;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if ((a == "--fonts" || a == "--mockup" || a == "--preview") && i + 1 < args.size()) {
      (a == "--fonts" ? fontDir : a == "--mockup" ? mockup : preview) = args[++i];
    } else if (!a.startsWith("--") && resDir.isEmpty()) {
      resDir = a;
    } else {
      return Fail(QStringLiteral("usage: artgen <res-dir> [--fonts <dir>] [--mockup <file.png>] [--preview <dir>]"));
    }
  }
  if (resDir.isEmpty()) return Fail(QStringLiteral("usage: artgen <res-dir> [--fonts <dir>] [--mockup <file.png>]"));
  if (!QDir().mkpath(resDir + "/icon")) return Fail(QStringLiteral("cannot create %1/icon").arg(resDir));
  if (!QDir().mkpath(resDir + "/hires")) return Fail(QStringLiteral("cannot create %1/hires").arg(resDir));
  if (!preview.isEmpty() && !QDir().mkpath(preview)) return Fail(QStringLiteral("cannot create %1").arg(preview));

  art::Fonts fonts;
  QString error;
  if (!art::LoadFonts(fontDir, &fonts, &error)) return Fail(error + " (Debian package fonts-urw-base35)");

  auto writeBmp = [&](const QString& name, const QImage& picture, const std::vector<QRgb>& fixed) {
    const art::IndexedImage indexed = art::Quantise(picture, art::BuildPalette(picture, fixed, art::kBmpColours));
    if (!art::WriteBytes(resDir + "/" + name + ".bmp", art::EncodeBmp8(indexed))) return false;
    return preview.isEmpty() || ToImage(indexed).save(preview + "/" + name + ".png");
  };

  // The renderings for higher ratios keep every colour: nothing about them is fixed by a format.
  auto writeHighResolution = [&](const QString& name, double scale, const QImage& picture) {
    const QString path = resDir + QStringLiteral("/hires/%1@%2x.png").arg(name, ScaleName(scale));
    return picture.convertToFormat(QImage::Format_RGB32).save(path, "PNG", 0);
  };

  const QImage backdrop = art::PaintBackdrop(fonts);
  if (!writeBmp("IDB_BACKDROP", backdrop, art::BackdropFixedColours())) return Fail("cannot write the backdrop");
  for (double scale : art::kHighResolutionScales) {
    if (!writeHighResolution("IDB_BACKDROP", scale, art::PaintBackdrop(fonts, scale))) {
      return Fail(QStringLiteral("cannot write the backdrop at %1").arg(scale));
    }
  }

  const struct {
    const char* name;
    art::Arrow arrow;
    art::Face face;
  } buttons[] = {
      {"IDB_PREV_UP", art::Arrow::Left, art::Face::Up},      {"IDB_PREV_DOWN", art::Arrow::Left, art::Face::Down},
      {"IDB_PREV_FOCUS", art::Arrow::Left, art::Face::Focus}, {"IDB_PREV_DIM", art::Arrow::Left, art::Face::Dim},
      {"IDB_NEXT_UP", art::Arrow::Right, art::Face::Up},     {"IDB_NEXT_DOWN", art::Arrow::Right, art::Face::Down},
      {"IDB_NEXT_FOCUS", art::Arrow::Right, art::Face::Focus}, {"IDB_NEXT_DIM", art::Arrow::Right, art::Face::Dim},
  };
  for (const auto& b : buttons) {
    if (!writeBmp(b.name, art::PaintPageButton(b.arrow, b.face), art::ButtonColours())) {
      return Fail(QStringLiteral("cannot write %1").arg(b.name));
    }
    for (double scale : art::kHighResolutionScales) {
      if (!writeHighResolution(b.name, scale, art::PaintPageButton(b.arrow, b.face, scale))) {
        return Fail(QStringLiteral("cannot write %1 at %2").arg(b.name).arg(scale));
      }
    }
  }

  const art::IndexedImage icon = art::Quantise(art::PaintIcon(32, true), art::VgaColours());
  if (!art::WriteBytes(resDir + "/icon/dravenholt.ico", art::EncodeIco4(icon))) return Fail("cannot write the icon");
  for (int size : {32, 64, 128, 256}) {
    const QString path = resDir + QStringLiteral("/icon/dravenholt-%1.png").arg(size);
    if (!art::PaintIcon(size, false).save(path, "PNG")) return Fail(QStringLiteral("cannot write %1").arg(path));
  }
  QFile svg(resDir + "/icon/dravenholt.svg");
  if (!svg.open(QIODevice::WriteOnly | QIODevice::Truncate) || svg.write(art::IconSvg().toUtf8()) < 0) {
    return Fail("cannot write the SVG icon");
  }
  svg.close();

  if (!mockup.isEmpty()) {
    // Read the written file back, so the mock-up shows the quantised picture.
    const QImage written(resDir + "/IDB_BACKDROP.bmp");
    if (written.isNull() || !art::PaintMockup(written).save(mockup)) return Fail("cannot write the mock-up");
  }
  return 0;
}
