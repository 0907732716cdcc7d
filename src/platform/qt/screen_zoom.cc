#include "platform/qt/screen_zoom.h"

#include <private/qhighdpiscaling_p.h>
#include <qpa/qplatformscreen.h>
#include <qpa/qplatformwindow.h>

#include <QApplication>
#include <QBackingStore>
#include <QHash>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

double g_zoom = 1;

// The factor every screen's own is multiplied by, as Qt read it from the environment at start-up.
double GlobalFactor() {
  bool ok = false;
  const double factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
  return ok && factor > 0 ? factor : 1.0;
}

// Each screen's own factor (the platform's, from its density) as it was before the zoom first
// replaced it: a factor set for a screen takes the place of the platform's, it does not multiply.
QHash<const QScreen*, double>& OwnFactors() {
  static QHash<const QScreen*, double> factors;
  return factors;
}

double OwnFactor(QScreen* screen) {
  auto& factors = OwnFactors();
  if (const auto found = factors.constFind(screen); found != factors.cend()) return *found;
  const double own = QHighDpiScaling::factor(screen) / GlobalFactor();
  factors.insert(screen, own);
  QObject::connect(screen, &QObject::destroyed, [screen] { OwnFactors().remove(screen); });
  return own;
}

void ApplyTo(QScreen* screen) {
  // A screen the zoom never touched already has its own factor.
  if (g_zoom == 1 && !OwnFactors().contains(screen)) return;
  QHighDpiScaling::setScreenFactor(screen, OwnFactor(screen) * g_zoom);
}

// Where a window was before the factors changed: its logical size, and its centre in device
// pixels, which stays put on the screen.
struct Placement {
  QPointer<QWidget> widget;
  QSize size;
  QPointF centre;
};

QList<Placement> VisibleWindows() {
  QList<Placement> windows;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    const QWindow* window = widget->windowHandle();
    if (!widget->isVisible() || window == nullptr || window->handle() == nullptr) continue;
    const QRect device = window->handle()->geometry();
    windows.append({widget, window->geometry().size(), QRectF(device).center()});
  }
  return windows;
}

// One coordinate of a frame of `length` placed at `start` inside [low, low + room).
int Inside(int start, int length, int low, int room) {
  if (length >= room || start < low) return low;
  return start + length > low + room ? low + room - length : start;
}

void PlaceAgain(const Placement& placement) {
  QWidget* widget = placement.widget;
  QWindow* window = widget ? widget->windowHandle() : nullptr;
  QScreen* screen = window ? window->screen() : nullptr;
  if (screen == nullptr || screen->handle() == nullptr) return;
  // The same centre in device pixels, in the screen's logical pixels at the new factor.
  const double factor = QHighDpiScaling::factor(screen);
  const QPointF deviceOrigin = screen->handle()->geometry().topLeft();
  const QPointF centre = QPointF(screen->geometry().topLeft()) + (placement.centre - deviceOrigin) / factor;
  QRect client(QPoint(qRound(centre.x() - placement.size.width() / 2.0),
                      qRound(centre.y() - placement.size.height() / 2.0)),
               placement.size);
  const QMargins margins = window->frameMargins();
  const QRect frame = client.marginsAdded(margins);
  const QRect available = screen->availableGeometry();
  client.moveTopLeft(QPoint(Inside(frame.x(), frame.width(), available.x(), available.width()),
                            Inside(frame.y(), frame.height(), available.y(), available.height())) +
                     QPoint(margins.left(), margins.top()));
  // The platform gets the window's device geometry at the new ratio (its size hints with it),
  // and the backing store is made again at that ratio: the logical size did not change, so
  // neither would do it by itself.
  window->setGeometry(client);
  if (QBackingStore* store = widget->backingStore()) store->resize(widget->size());
  widget->update();
}

void FollowNewScreens() {
  static const bool connected = [] {
    QObject::connect(qApp, &QGuiApplication::screenAdded, [](QScreen* screen) { ApplyTo(screen); });
    return true;
  }();
  (void)connected;
}

}  // namespace

double ScreenZoom() { return g_zoom; }

void SetScreenZoom(double zoom) {
  if (!(zoom > 0) || zoom == g_zoom) return;
  FollowNewScreens();
  const QList<Placement> windows = VisibleWindows();
  g_zoom = zoom;
  for (QScreen* screen : QGuiApplication::screens()) ApplyTo(screen);
  for (const Placement& placement : windows) PlaceAgain(placement);
}

double BaseDevicePixelRatio(const QScreen* screen) {
  return screen == nullptr ? 1.0 : screen->devicePixelRatio() / g_zoom;
}
