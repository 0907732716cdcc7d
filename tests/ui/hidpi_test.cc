// The search screen on a high-density display. ctest runs these tests with QT_SCALE_FACTOR set
// (2 and 1.5); the ratio is fixed before the QApplication exists, so each ratio is a run of its
// own. Positions are checked in logical pixels (what the layout says) and in physical pixels
// (where the grabbed picture has them). To look at the window at a ratio, run ui_tests'
// ScreenshotTest with QT_SCALE_FACTOR and DRAVENHOLT_SCREENSHOT set.
#include <QBackingStore>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <cmath>
#include <functional>

#include "app/view_doc.h"
#include "ui/bitmap_button.h"
#include "viewer_fixture.h"

namespace {

// The ratio the run was started with; 0 when none was.
qreal ExpectedRatio() {
  bool ok = false;
  const double ratio = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
  return ok ? ratio : 0.0;
}

// The physical pixel that shows the middle of logical pixel `logical`. Its centre is less than
// half a logical pixel from the logical pixel's centre, so at any ratio of 1 or more it shows
// that logical pixel and no neighbour.
QPoint Physical(const QPoint& logical, qreal ratio) {
  return QPoint(static_cast<int>(std::floor((logical.x() + 0.5) * ratio)),
                static_cast<int>(std::floor((logical.y() + 0.5) * ratio)));
}

// Calls `f` for every physical pixel whose centre lies strictly inside `logical` scaled by
// `ratio`; the pixels a fractional edge cuts through are left out.
void ForEachInside(const QRect& logical, qreal ratio, const std::function<void(int, int)>& f) {
  const auto first = [ratio](int edge) { return static_cast<int>(std::floor(edge * ratio - 0.5)) + 1; };
  const auto last = [ratio](int edge) { return static_cast<int>(std::ceil(edge * ratio - 0.5)) - 1; };
  for (int y = first(logical.top()); y <= last(logical.bottom() + 1); ++y)
    for (int x = first(logical.left()); x <= last(logical.right() + 1); ++x) f(x, y);
}

QRgb Rgb(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

class HiDpiTest : public ViewerTest {
 protected:
  void SetUp() override {
    ASSERT_GT(ExpectedRatio(), 1.0) << "run with QT_SCALE_FACTOR set, as ctest does (2 and 1.5)";
    AddStandardEntries(&roll);
    OpenWindow();
    ratio = view->devicePixelRatioF();
    ASSERT_DOUBLE_EQ(ratio, ExpectedRatio()) << "QT_SCALE_FACTOR did not take effect";
  }

  // The view as it is drawn now, in physical pixels.
  QImage Picture() const {
    const QImage image = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.size(), QSize(qRound(632 * ratio), qRound(453 * ratio)));
    return image;
  }
  QImage Backdrop() const {
    return frame->Document()->backdrop->toImage().convertToFormat(QImage::Format_RGB32);
  }
  QList<QWidget*> Controls() const {
    return {view->m_pSearchBtn, view->m_pClearBtn, view->m_pMoreInfoBtn, view->m_pPrevBtn, view->m_pNextBtn,
            view->m_pHelpBtn,   view->m_pQuitBtn,  view->m_pEdit[0],     view->m_pEdit[1]};
  }

  qreal ratio = 1;
};

TEST_F(HiDpiTest, TheWindowAndItsControlsKeepTheirLogicalLayoutAndScaleAsAWhole) {
  EXPECT_DOUBLE_EQ(frame->windowHandle()->devicePixelRatio(), ratio);
  EXPECT_EQ(frame->size(), QSize(632, 453));
  EXPECT_EQ(view->geometry(), QRect(0, 0, 632, 453));
  // The frame of 640 x 480 logical pixels: 1280 x 960 physical pixels at a ratio of 2.
  EXPECT_EQ(frame->NormalRect().size(), QSize(640, 480));
  EXPECT_EQ(QSizeF(frame->NormalRect().size()) * ratio, QSizeF(640 * ratio, 480 * ratio));
  const QImage window = frame->grab().toImage();
  EXPECT_EQ(window.size(), QSize(qRound(632 * ratio), qRound(453 * ratio)));

  const QRect expected[] = {{62, 425, 96, 20},  {163, 425, 96, 20},  {264, 425, 96, 20},
                            {535, 165, 19, 23}, {561, 165, 19, 23},  {365, 425, 96, 20},
                            {466, 425, 96, 20}, {146, 147, 147, 24}, {321, 147, 154, 24}};
  const QList<QWidget*> controls = Controls();
  for (int i = 0; i < controls.size(); ++i) {
    EXPECT_EQ(controls[i]->geometry(), expected[i]) << i;
    EXPECT_DOUBLE_EQ(controls[i]->devicePixelRatioF(), ratio) << i;
  }
}

TEST_F(HiDpiTest, TheBackdropAndThePageButtonsAreScaledPixelForPixel) {
  const QImage picture = Picture();
  const QImage backdrop = Backdrop();

  // Everywhere the view's own controls and the count line leave free, each logical pixel shows
  // the backdrop's pixel, unblended: nothing shifted, nothing smoothed into its neighbours.
  QRegion covered(rcCountLine);
  for (QWidget* control : Controls()) covered += control->geometry();
  int wrong = 0;
  QPoint firstWrong;
  for (int y = 0; y < 453; ++y) {
    for (int x = 0; x < 632; ++x) {
      if (covered.contains(QPoint(x, y))) continue;
      const QPoint p = Physical(QPoint(x, y), ratio);
      if (Rgb(picture, p.x(), p.y()) != Rgb(backdrop, x, y) && wrong++ == 0) firstWrong = QPoint(x, y);
    }
  }
  EXPECT_EQ(wrong, 0) << "first at " << firstWrong.x() << "," << firstWrong.y();

  // At a whole ratio every logical pixel of the backdrop is a block of equal physical pixels.
  if (ratio == std::floor(ratio)) {
    const int n = static_cast<int>(ratio);
    int blended = 0;
    for (int y = 0; y < 140; ++y)
      for (int x = 0; x < 632; ++x)
        for (int dy = 0; dy < n; ++dy)
          for (int dx = 0; dx < n; ++dx)
            blended += Rgb(picture, x * n + dx, y * n + dy) != Rgb(picture, x * n, y * n);
    EXPECT_EQ(blended, 0);
  }

  // The disabled page buttons show their 19 x 23 pictures at their places.
  const struct {
    BitmapButton* button;
    const char* face;
  } pages[] = {{view->m_pPrevBtn, ":/IDB_PREV_DIM.bmp"}, {view->m_pNextBtn, ":/IDB_NEXT_DIM.bmp"}};
  for (const auto& page : pages) {
    ASSERT_FALSE(page.button->isEnabled());
    const QImage face = QImage(QString::fromLatin1(page.face)).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(face.size(), QSize(19, 23));
    int mismatched = 0;
    for (int y = 0; y < 23; ++y) {
      for (int x = 0; x < 19; ++x) {
        const QPoint p = Physical(page.button->geometry().topLeft() + QPoint(x, y), ratio);
        mismatched += Rgb(picture, p.x(), p.y()) != Rgb(face, x, y);
      }
    }
    EXPECT_EQ(mismatched, 0) << page.face;
  }
}

TEST_F(HiDpiTest, ThePushButtonsAndFieldsAreDrawnInTheirOwnPlaces) {
  const QImage picture = Picture();
  const auto near = [](QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 32 && std::abs(qGreen(a) - qGreen(b)) <= 32 &&
           std::abs(qBlue(a) - qBlue(b)) <= 32;
  };
  // Each control drawn on its own at the same ratio is found in the view's picture at the
  // control's place. At a fractional ratio that place falls between physical pixels, and text,
  // pictures and edges come out a fraction of a pixel apart; so each pixel of the control may be
  // matched by the picture within one physical pixel of where it belongs, and at such a ratio a
  // few more pixels (rounded corners over the backdrop, half-pixel frame lines) may still differ.
  // A control one more pixel away loses its frame and its text, far more than that.
  for (QWidget* control : Controls()) {
    const QImage own = control->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint place(qRound(control->x() * ratio), qRound(control->y() * ratio));
    int unmatched = 0;
    for (int y = 0; y < own.height(); ++y) {
      for (int x = 0; x < own.width(); ++x) {
        bool found = false;
        for (int dy = -1; dy <= 1 && !found; ++dy)
          for (int dx = -1; dx <= 1 && !found; ++dx)
            found = near(Rgb(own, x, y), Rgb(picture, place.x() + x + dx, place.y() + y + dy));
        unmatched += !found;
      }
    }
    EXPECT_LE(unmatched, own.width() * own.height() / (ratio == std::floor(ratio) ? 100 : 20))
        << control->metaObject()->className() << " at " << control->x() << "," << control->y();
  }
}

TEST_F(HiDpiTest, TheSelectionIsInvertedInsideTheCellsAndNotInTheGaps) {
  Search(QStringLiteral("Abbott"));
  const QImage before = Picture();
  ClickRow(2);
  ASSERT_EQ(view->m_nSelRow, 2);
  const QImage after = Picture();

  const int h = view->TextHeight();
  const int top = view->RowRect(2).top();
  int notInverted = 0;
  for (int column = 0; column < 3; ++column) {
    ForEachInside(view->CellRect(2, column), ratio,
                  [&](int x, int y) { notInverted += Rgb(after, x, y) != (~Rgb(before, x, y) & 0xFFFFFF); });
  }
  EXPECT_EQ(notInverted, 0);
  int changed = 0;
  for (const QRect& unchanged : {QRect(145, top, 165 - 145, h), QRect(286, top, 306 - 286, h),
                                 view->RowRect(1), view->RowRect(3), QRect(0, 0, 632, top)}) {
    ForEachInside(unchanged, ratio, [&](int x, int y) { changed += Rgb(after, x, y) != Rgb(before, x, y); });
  }
  EXPECT_EQ(changed, 0);
}

TEST_F(HiDpiTest, RowTextIsDrawnAtTheDevicesResolution) {
  if (ratio != std::floor(ratio) || ratio < 2) GTEST_SKIP() << "a whole ratio of 2 or more shows it";
  Search(QStringLiteral("Abbott"));
  const QImage picture = Picture();
  // Drawn at the logical resolution and scaled up, every logical pixel would be a uniform block.
  const int n = static_cast<int>(ratio);
  int finer = 0;
  const QRect cell = view->CellRect(0, 0);
  for (int y = cell.top(); y <= cell.bottom(); ++y)
    for (int x = cell.left(); x <= cell.right(); ++x)
      for (int d = 1; d < n; ++d) finer += Rgb(picture, x * n + d, y * n + d) != Rgb(picture, x * n, y * n);
  EXPECT_GT(finer, 0);
}

TEST_F(HiDpiTest, InPlaceRepaintsLeaveNothingBehindOnTheScreen) {
  // The window's backing store: what the paints, whole or in place, have left for the screen.
  const auto onScreen = [&] {
    QPaintDevice* device = frame->backingStore()->paintDevice();
    if (device == nullptr || device->devType() != QInternal::Image) return QImage();
    return static_cast<QImage*>(device)->convertToFormat(QImage::Format_RGB32);
  };
  Search(QStringLiteral("Abbott"));
  ClickRow(2);
  ClickRow(5);
  ClickRow(4);
  QTest::mouseClick(view->m_pNextBtn, Qt::LeftButton);
  ClickRow(1);
  // What the in-place repaints left in the window is what a full paint draws.
  const QImage shown = onScreen();
  ASSERT_FALSE(shown.isNull()) << "the platform cannot grab the window";
  const QImage full = Picture();
  ASSERT_EQ(shown.size(), full.size());
  // The controls are left out: where the focus is differs, and they paint themselves.
  QRegion controls;
  for (QWidget* control : Controls()) controls += control->geometry().adjusted(-1, -1, 1, 1);
  int differing = 0;
  QPoint first;
  for (int y = 0; y < full.height(); ++y) {
    for (int x = 0; x < full.width(); ++x) {
      if (controls.contains(QPoint(static_cast<int>(x / ratio), static_cast<int>(y / ratio)))) continue;
      if (Rgb(shown, x, y) != Rgb(full, x, y) && differing++ == 0) first = QPoint(x, y);
    }
  }
  EXPECT_EQ(differing, 0) << "first at physical " << first.x() << "," << first.y();
}

}  // namespace
