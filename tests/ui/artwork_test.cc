// The pictures the screen draws at ratios above 1: the renderings committed beside the 1:1
// bitmaps, and how one is chosen for a ratio.
#include "ui/artwork.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

namespace {

constexpr const char* kPictures[] = {"IDB_BACKDROP",   "IDB_PREV_UP",    "IDB_PREV_DOWN",
                                     "IDB_PREV_FOCUS", "IDB_PREV_DIM",   "IDB_NEXT_UP",
                                     "IDB_NEXT_DOWN",  "IDB_NEXT_FOCUS", "IDB_NEXT_DIM"};

QPixmap Bitmap(const char* name) { return QPixmap(QStringLiteral(":/%1.bmp").arg(QLatin1String(name))); }

QRgb Rgb(const QImage& image, QPoint at) { return image.pixel(at) & 0xFFFFFF; }

TEST(ArtworkTest, EveryPictureHasARenderingForEveryZoomStepOfTheRightSize) {
  for (const char* name : kPictures) {
    const QPixmap bitmap = Bitmap(name);
    ASSERT_FALSE(bitmap.isNull()) << name;
    EXPECT_EQ(ArtworkRatios(name), (QList<qreal>{1.25, 1.5, 2, 3})) << name;
    for (qreal ratio : ArtworkRatios(name)) {
      const QPixmap picture = ArtworkFor(name, bitmap, ratio);
      EXPECT_EQ(picture.size(), QSize(qRound(bitmap.width() * ratio), qRound(bitmap.height() * ratio)))
          << name << " at " << ratio;
      EXPECT_DOUBLE_EQ(picture.devicePixelRatio(), ratio) << name;
    }
  }
}

TEST(ArtworkTest, TheRenderingsKeepTheFixedLayoutOfTheBackdrop) {
  // The view draws its fields, count line and rows at fixed view pixels over the backdrop; every
  // rendering must have the field boxes, the table's frame and its rules at the same view
  // pixels, in the same colours as the bitmap (which holds them exactly).
  const QImage bitmap = Bitmap("IDB_BACKDROP").toImage().convertToFormat(QImage::Format_RGB32);
  const QPoint fixed[] = {
      {150, 150}, {290, 168}, {325, 150}, {472, 168},  // inside the two white field boxes
      {12, 300},  {13, 300},  {14, 300},  {15, 300},   // the table's dark left edge, its inside
      {300, 208}, {300, 210}, {617, 300}, {619, 300},  // the top edge; the grey right edge
      {155, 300}, {294, 300}, {298, 300}, {296, 300},  // the column rules and between the double one
      {300, 234}, {300, 236}, {300, 237}, {300, 415},  // the heading's rules, the first row, the bottom
  };
  for (qreal ratio : ArtworkRatios("IDB_BACKDROP")) {
    const QImage rendering = ArtworkFor("IDB_BACKDROP", Bitmap("IDB_BACKDROP"), ratio).toImage();
    for (const QPoint& p : fixed) {
      // The device pixel at the middle of the view pixel.
      const QPoint device(static_cast<int>((p.x() + 0.5) * ratio), static_cast<int>((p.y() + 0.5) * ratio));
      EXPECT_EQ(Rgb(rendering, device), Rgb(bitmap, p))
          << "view pixel " << p.x() << "," << p.y() << " at " << ratio;
    }
  }
}

TEST(ArtworkTest, ARatioWithoutARenderingGetsTheNearestLargerOneResampled) {
  const QPixmap bitmap = Bitmap("IDB_BACKDROP");
  // 1 (and below) is the bitmap itself.
  EXPECT_EQ(ArtworkFor("IDB_BACKDROP", bitmap, 1).cacheKey(), bitmap.cacheKey());
  EXPECT_EQ(ArtworkFor("IDB_BACKDROP", bitmap, 0.5).cacheKey(), bitmap.cacheKey());
  // Between two renderings: the larger one, scaled down to the ratio's device size.
  const QPixmap between = ArtworkFor("IDB_BACKDROP", bitmap, 2.5);
  EXPECT_EQ(between.size(), QSize(1580, 1133));
  EXPECT_DOUBLE_EQ(between.devicePixelRatio(), 2.5);
  // Above the largest: the largest, scaled up.
  EXPECT_EQ(ArtworkFor("IDB_BACKDROP", bitmap, 4).size(), QSize(2528, 1812));
  // The table's white inside stays white however it is resampled.
  EXPECT_EQ(Rgb(between.toImage(), QPoint(500, 700)), Rgb(bitmap.toImage(), QPoint(200, 280)));
  // A picture without renderings is drawn from its bitmap.
  const QPixmap plain(10, 10);
  EXPECT_EQ(ArtworkFor("NO_SUCH_PICTURE", plain, 2).cacheKey(), plain.cacheKey());
}

}  // namespace
