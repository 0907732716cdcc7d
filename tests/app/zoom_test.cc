// The View menu's zoom in the running window, the zoom a start opens at, and the setting that
// remembers it. ctest runs these on an offscreen screen of 3840 x 2160 (uhd-screen.json), on
// which the window fits at every step.
#include <qpa/qplatformwindow.h>

#include <QAction>
#include <QApplication>
#include <QBackingStore>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QWindow>
#include <cmath>

#include "app/main_frame.h"
#include "app/view_app.h"
#include "app/viewer_settings.h"
#include "app_fixture.h"
#include "platform/qt/screen_zoom.h"
#include "viewer_fixture.h"

namespace {

QAction* Item(CMainFrame* frame, const char* text) {
  for (QAction* action : frame->Menu(FrameMenu::kView)->actions()) {
    if (action->text() == QLatin1String(text)) return action;
  }
  return nullptr;
}

class ZoomTest : public ViewerTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::primaryScreen()->size(), QSize(3840, 2160))
        << "run on the screen of uhd-screen.json";
    environment.Set(kUserSettingsVariable, config.path().toUtf8().constData());
    AddStandardEntries(&roll);
    OpenWindow();
  }
  void TearDown() override {
    CloseWindow();
    SetScreenZoom(1);
  }

  QString ZoomText() const { return frame->findChild<QLabel*>(QStringLiteral("zoomText"))->text(); }
  // What the platform window is, in device pixels.
  QSize DeviceSize() const { return frame->windowHandle()->handle()->geometry().size(); }
  QRect DeviceRect() const { return frame->windowHandle()->handle()->geometry(); }
  QSize BackingStoreSize() const {
    QPaintDevice* device = frame->backingStore()->paintDevice();
    return device && device->devType() == QInternal::Image ? static_cast<QImage*>(device)->size() : QSize();
  }

  QTemporaryDir config;
  ScopedEnv environment;
};

TEST_F(ZoomTest, TheKeysStepThroughEveryZoomAndTheWindowKeepsItsLayoutAndItsCentre) {
  const QSize logical = frame->size();
  const QPoint centre = DeviceRect().center();
  Search(QStringLiteral("Abbott"));
  ClickRow(2);
  const QString row = view->FieldText(2, 1);

  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    double zoom;
    const char* text;
  } steps[] = {
      {Qt::Key_Plus, Qt::ControlModifier, 1.25, "125%"},
      {Qt::Key_Equal, Qt::ControlModifier, 1.5, "150%"},  // Ctrl+= as well, on keyboards where + needs Shift
      {Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier, 2, "200%"},
      {Qt::Key_Plus, Qt::ControlModifier, 3, "300%"},
      {Qt::Key_Plus, Qt::ControlModifier, 3, "300%"},  // the last step
      {Qt::Key_Minus, Qt::ControlModifier, 2, "200%"},
      {Qt::Key_0, Qt::ControlModifier, 1, "100%"},
      {Qt::Key_Minus, Qt::ControlModifier, 1, "100%"},  // the first step
  };
  for (const auto& step : steps) {
    QTest::keyClick(view->NameField(0), step.key, step.modifiers);
    SCOPED_TRACE(step.text);
    EXPECT_EQ(ScreenZoom(), step.zoom);
    EXPECT_DOUBLE_EQ(view->devicePixelRatioF(), step.zoom);
    EXPECT_EQ(ZoomText(), QLatin1String(step.text));
    // The same logical layout, on as many more device pixels, centred where it was.
    EXPECT_EQ(frame->size(), logical);
    EXPECT_EQ(view->geometry(), QRect(0, frame->MenuBar()->height(), 632, 453));
    EXPECT_SOON(DeviceSize() == (QSizeF(logical) * step.zoom).toSize());
    EXPECT_LE((DeviceRect().center() - centre).manhattanLength(), 2 * std::ceil(step.zoom) + 2);
    // The backing store was made again at the ratio: what the window shows is a whole new paint.
    EXPECT_SOON(BackingStoreSize() == DeviceSize());
    // The result, the selection and the focus are untouched.
    EXPECT_EQ(view->SelectedRow(), 2);
    EXPECT_EQ(view->FieldText(2, 1), row);
    EXPECT_EQ(Focus(), view->NameField(0));
    // The menu items say what is possible from here.
    EXPECT_EQ(Item(frame.get(), "Zoom &In")->isEnabled(), step.zoom < 3);
    EXPECT_EQ(Item(frame.get(), "Zoom &Out")->isEnabled(), step.zoom > 1);
    EXPECT_EQ(Item(frame.get(), "&Actual Size")->isEnabled(), step.zoom != 1);
  }
}

TEST_F(ZoomTest, TheChoiceIsRememberedInTheViewersOwnSettingsOnly) {
  const QString file = config.path() + QStringLiteral("/dravenholt/dravenholt.conf");
  EXPECT_EQ(QDir::fromNativeSeparators(ViewerSettingsPath()), file);
  EXPECT_FALSE(QFile::exists(file)) << "nothing is written before the user chooses";

  Item(frame.get(), "Zoom &In")->trigger();
  Item(frame.get(), "Zoom &In")->trigger();
  EXPECT_EQ(ScreenZoom(), 1.5);
  ASSERT_TRUE(QFile::exists(file));
  EXPECT_EQ(QSettings(file, QSettings::IniFormat).value(QStringLiteral("View/Zoom")).toDouble(), 1.5);
  EXPECT_EQ(RememberedZoom(), 1.5);
  // The family's INI is only ever read.
  EXPECT_FALSE(QFile::exists(config.path() + QStringLiteral("/brevik.ini")));

  Item(frame.get(), "&Actual Size")->trigger();
  EXPECT_EQ(RememberedZoom(), 1);
}

class StartZoomTest : public ::testing::Test {
 protected:
  StartZoomTest() { g_bFirstDraw = true; }
  ~StartZoomTest() override { SetScreenZoom(1); }
  StartUpEnvironment env;
};

TEST_F(StartZoomTest, TheFirstStartTakesTheLargestComfortableZoomAndLaterStartsTheRememberedOne) {
  {
    CViewApp app;
    ASSERT_EQ(app.InitInstance(), 1);
    // The whole frame, three times over, takes at most nine tenths of 3840 x 2160.
    EXPECT_EQ(ScreenZoom(), 3);
    CMainFrame* frame = app.MainWindow();
    EXPECT_DOUBLE_EQ(frame->devicePixelRatioF(), 3);
    EXPECT_EQ(frame->findChild<QLabel*>(QStringLiteral("zoomText"))->text(), QStringLiteral("300%"));
    // Placed by the centring rule in the screen's logical pixels at that zoom.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(area.size(), QSize(1280, 720));
    EXPECT_EQ(frame->NormalRect(), FirstActivationRect(1280, 720, frame->FrameSize()));
    // Choosing nothing writes nothing.
    EXPECT_FALSE(QFile::exists(ViewerSettingsPath()));
    frame->ZoomOut();
    app.ExitInstance();
  }
  SetScreenZoom(1);
  CViewApp again;
  ASSERT_EQ(again.InitInstance(), 1);
  EXPECT_EQ(ScreenZoom(), 2);
  again.ExitInstance();
}

}  // namespace
