// The search screen at device-pixel ratios above 1: on a high-density display, at the View menu's
// zoom steps, and both at once. ctest runs these tests without a platform ratio and with
// QT_SCALE_FACTOR set (2 and 1.5; it is fixed before the QApplication exists, so each is a run of
// its own); each test then zooms the open window to every step the run covers (all of them at a
// platform ratio of 1), so the ratio checked is the platform's times the zoom. Positions are
// checked in logical pixels (what the layout says) and in physical pixels (where the grabbed
// picture has them); the pictures against the renderings made for the ratio. To look at the
// window at a ratio, run scripts/screenshots.sh with the ratio as its zoom.
#include <QBackingStore>
#include <qpa/qplatformwindow.h>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <cmath>
#include <functional>

#include "app/view_doc.h"
#include "platform/qt/screen_zoom.h"
#include "ui/bitmap_button.h"
#include "viewer_fixture.h"

namespace {

// The platform's ratio the run was started with; 1 when none was.
qreal PlatformRatio() {
  bool ok = false;
  const double ratio = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
  return ok ? ratio : 1.0;
}

// The zoom steps a run covers: every step above 1 on a plain screen; on a high-density one, none
// and the step that makes the ratio 3 (the largest rendering), so that every ratio checked has a
// rendering of its own to compare with. (The tests are listed without the platform's ratio, so
// every run lists every step and skips those it does not cover.)
bool Covered(double zoom) {
  const qreal platform = PlatformRatio();
  return platform == 1 ? zoom > 1 : zoom == 1 || zoom * platform == 3;
}

std::string ZoomName(const ::testing::TestParamInfo<double>& info) {
  return "zoom" + std::to_string(static_cast<int>(std::lround(info.param * 100)));
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

// The rendering of picture `name` painted for `ratio` (res/hires), as committed.
QImage Rendering(const char* name, qreal ratio) {
  return QImage(QStringLiteral(":/hires/%1@%2x.png").arg(QLatin1String(name)).arg(ratio))
      .convertToFormat(QImage::Format_RGB32);
}

class HiDpiTest : public ViewerTest, public ::testing::WithParamInterface<double> {
 protected:
  void SetUp() override {
    if (!Covered(GetParam())) GTEST_SKIP() << "not at this platform ratio";
    AddStandardEntries(&roll);
    OpenWindow();
    ASSERT_DOUBLE_EQ(view->devicePixelRatioF(), PlatformRatio()) << "QT_SCALE_FACTOR did not take effect";
    // Zoomed while the window is up, as the View menu does it.
    SetScreenZoom(GetParam());
    ratio = PlatformRatio() * GetParam();
    ASSERT_DOUBLE_EQ(view->devicePixelRatioF(), ratio);
    ASSERT_SOON(frame->windowHandle()->handle()->geometry().size() == (QSizeF(frame->size()) * ratio).toSize());
  }
  void TearDown() override {
    CloseWindow();
    SetScreenZoom(1);
  }

  // The view as it is drawn now, in physical pixels.
  QImage Picture() const {
    const QImage image = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.size(), QSize(qRound(632 * ratio), qRound(453 * ratio)));
    return image;
  }
  QList<QWidget*> Controls() const {
    return {view->SearchButton(), view->ClearButton(), view->MoreInfoButton(), view->PrevButton(), view->NextButton(),
            view->HelpButton(),   view->QuitButton(),  view->NameField(0),     view->NameField(1)};
  }

  qreal ratio = 1;
};

TEST_P(HiDpiTest, TheWindowAndItsControlsKeepTheirLogicalLayoutAndScaleAsAWhole) {
  EXPECT_DOUBLE_EQ(frame->windowHandle()->devicePixelRatio(), ratio);
  const int menu = frame->MenuBar()->height();
  const QSize client(632, menu + 453 + (frame->height() - menu - 453));
  EXPECT_EQ(frame->size(), client);
  EXPECT_EQ(frame->minimumSize(), client);
  EXPECT_EQ(frame->maximumSize(), client);
  EXPECT_EQ(view->geometry(), QRect(0, menu, 632, 453));
  // The view's top edge falls on a whole device pixel, so its pictures are drawn pixel for pixel.
  EXPECT_DOUBLE_EQ(menu * ratio, std::round(menu * ratio));
  // The frame of 640 x 480 logical pixels (and the menu bar and status strip): 1280 x 960
  // physical pixels and more at a ratio of 2.
  EXPECT_EQ(frame->NormalRect().size(), QSize(640, 480 + frame->height() - 453));
  const QImage window = frame->grab().toImage();
  EXPECT_EQ(window.size(), (QSizeF(client) * ratio).toSize());
  // The platform window has the device size of the logical one.
  EXPECT_EQ(frame->windowHandle()->handle()->geometry().size(), (QSizeF(client) * ratio).toSize());

  const QRect expected[] = {{62, 425, 96, 20},  {163, 425, 96, 20},  {264, 425, 96, 20},
                            {535, 165, 19, 23}, {561, 165, 19, 23},  {365, 425, 96, 20},
                            {466, 425, 96, 20}, {146, 147, 147, 24}, {321, 147, 154, 24}};
  const QList<QWidget*> controls = Controls();
  for (int i = 0; i < controls.size(); ++i) {
    EXPECT_EQ(controls[i]->geometry(), expected[i]) << i;
    EXPECT_DOUBLE_EQ(controls[i]->devicePixelRatioF(), ratio) << i;
  }
}

TEST_P(HiDpiTest, TheBackdropAndThePageButtonsAreTheRenderingsForTheRatioPixelForPixel) {
  const QImage picture = Picture();
  const QImage backdrop = Rendering("IDB_BACKDROP", ratio);
  ASSERT_EQ(backdrop.size(), QSize(qRound(632 * ratio), qRound(453 * ratio)));

  // Everywhere the view's own controls and the count line leave free, each device pixel shows
  // the rendering's pixel: painted at this resolution, nothing shifted, nothing resampled. (The
  // 1:1 bitmap scaled up would show each view pixel as a block.)
  QRegion covered(rcCountLine);
  for (QWidget* control : Controls()) covered += control->geometry().adjusted(-1, -1, 1, 1);
  int wrong = 0;
  QPoint firstWrong;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      if (covered.contains(QPoint(static_cast<int>(x / ratio), static_cast<int>(y / ratio)))) continue;
      if (Rgb(picture, x, y) != Rgb(backdrop, x, y) && wrong++ == 0) firstWrong = QPoint(x, y);
    }
  }
  EXPECT_EQ(wrong, 0) << "first at device pixel " << firstWrong.x() << "," << firstWrong.y();

  // The rendering keeps the fixed layout: the table's dark frame edge at view x 12..14, its
  // inside from x 15 (here, in the middle of row 300).
  const QImage bitmap = frame->Document()->backdrop->toImage().convertToFormat(QImage::Format_RGB32);
  for (int x : {12, 13, 14, 15, 155, 294}) {
    const QPoint p = Physical(QPoint(x, 300), ratio);
    EXPECT_EQ(Rgb(backdrop, p.x(), p.y()), Rgb(bitmap, x, 300)) << "view x " << x;
  }

  // The disabled page buttons show the renderings of their faces at their places.
  const struct {
    BitmapButton* button;
    const char* face;
  } pages[] = {{view->PrevButton(), "IDB_PREV_DIM"}, {view->NextButton(), "IDB_NEXT_DIM"}};
  for (const auto& page : pages) {
    ASSERT_FALSE(page.button->isEnabled());
    const QImage face = Rendering(page.face, ratio);
    ASSERT_EQ(face.size(), QSize(qRound(19 * ratio), qRound(23 * ratio)));
    // The device pixels wholly inside the button show its face; at a fractional ratio the last
    // row and column it touches are shared with the backdrop.
    const QPoint origin(qRound(page.button->x() * ratio), qRound(page.button->y() * ratio));
    int mismatched = 0;
    ForEachInside(page.button->geometry(), ratio, [&](int x, int y) {
      mismatched += Rgb(picture, x, y) != Rgb(face, x - origin.x(), y - origin.y());
    });
    EXPECT_EQ(mismatched, 0) << page.face;
  }
}

TEST_P(HiDpiTest, ThePushButtonsAndFieldsAreDrawnInTheirOwnPlaces) {
  const QImage picture = Picture();
  const auto near = [](QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 32 && std::abs(qGreen(a) - qGreen(b)) <= 32 &&
           std::abs(qBlue(a) - qBlue(b)) <= 32;
  };
  // Each control drawn on its own at the same ratio is found in the view's picture at the
  // control's place. At a fractional ratio that place falls between physical pixels, and text,
  // pictures and edges come out a fraction of a pixel apart; so each pixel of the control may be
  // matched by the picture within one physical pixel of where it belongs, and at such a ratio a
  // few more pixels may still differ. Its outermost device pixels are left out there: a frame line
  // that falls between device pixels is blended with what lies under it, the backdrop in the
  // window, the plain window colour when drawn alone.
  for (QWidget* control : Controls()) {
    const QImage own = control->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint place(qRound(control->x() * ratio), qRound(control->y() * ratio));
    const int edge = ratio == std::floor(ratio) ? 0 : 2;
    int unmatched = 0;
    for (int y = edge; y < own.height() - edge; ++y) {
      for (int x = edge; x < own.width() - edge; ++x) {
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

TEST_P(HiDpiTest, TheSelectionIsInvertedInsideTheCellsAndNotInTheGaps) {
  Search(QStringLiteral("Abbott"));
  const QImage before = Picture();
  ClickRow(2);
  ASSERT_EQ(view->SelectedRow(), 2);
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

TEST_P(HiDpiTest, RowTextIsDrawnAtTheDevicesResolution) {
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

TEST_P(HiDpiTest, InPlaceRepaintsLeaveNothingBehindOnTheScreen) {
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
  QTest::mouseClick(view->NextButton(), Qt::LeftButton);
  ClickRow(1);
  // What the in-place repaints left in the window is what a full paint draws. The backing store
  // holds the whole window; the view is the part under the menu bar.
  const QImage window = onScreen();
  ASSERT_FALSE(window.isNull()) << "the platform cannot grab the window";
  const QImage full = Picture();
  const QImage shown = window.copy(QRect(QPoint(0, qRound(view->y() * ratio)), full.size()));
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

INSTANTIATE_TEST_SUITE_P(Zoom, HiDpiTest, ::testing::Values(1, 1.25, 1.5, 2, 3), ZoomName);

}  // namespace
