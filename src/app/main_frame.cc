#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/view_doc.h"
#include "app/view_zoom.h"
#include "app/viewer_settings.h"
#include "platform/qt/screen_zoom.h"
#include "ui/find_menu.h"
#include "ui/hist_view.h"
#include "ui/use_actions.h"

namespace {

struct MenuTitle {
  FrameMenu menu;
  const char* title;
};
constexpr MenuTitle kMenuTitles[] = {{FrameMenu::File, QT_TRANSLATE_NOOP("CMainFrame", "&File")},
                                     {FrameMenu::Edit, QT_TRANSLATE_NOOP("CMainFrame", "&Edit")},
                                     {FrameMenu::Find, QT_TRANSLATE_NOOP("CMainFrame", "F&ind")},
                                     {FrameMenu::View, QT_TRANSLATE_NOOP("CMainFrame", "&View")},
                                     {FrameMenu::Help, QT_TRANSLATE_NOOP("CMainFrame", "&Help")}};

int Index(FrameMenu menu) { return static_cast<int>(menu); }

// Rounded up to a multiple of 4 logical pixels, the view's top edge falls on a whole device pixel
// at every zoom step (1.25 and 1.5 included), so the backdrop is drawn pixel for pixel there.
int OnWholeDevicePixels(int height) { return (height + 3) / 4 * 4; }

}  // namespace

QRect FirstActivationRect(int right, int bottom, QSize size) {
  const int left = (right - size.width()) / 2;
  const int top = (bottom - size.height()) / 2;
  return QRect(QPoint(left, top), size);
}

CMainFrame::CMainFrame(std::unique_ptr<CViewDoc> document, const DataLocation& location)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      document_(std::move(document)),
      location_(location) {
  // Created with an empty caption; start-up sets it once the window is up.
  menuBar_ = new QMenuBar(this);
  // In the window on every desktop: the screen below it is laid out for it.
  menuBar_->setNativeMenuBar(false);
  statusBar_ = new QStatusBar(this);
  statusBar_->setSizeGripEnabled(false);
  statusText_ = new QLabel(statusBar_);
  statusText_->setObjectName(QStringLiteral("statusText"));
  statusText_->setContentsMargins(4, 0, 4, 0);
  statusBar_->addWidget(statusText_, 1);
  zoomText_ = new QLabel(statusBar_);
  zoomText_->setObjectName(QStringLiteral("zoomText"));
  zoomText_->setContentsMargins(4, 0, 6, 0);
  statusBar_->addPermanentWidget(zoomText_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menuBar_);
  layout->addWidget(statusBar_);

  CreateMenus();
  menuBar_->setFixedHeight(OnWholeDevicePixels(menuBar_->sizeHint().height()));
  setFixedSize(kClientWidth, menuBar_->height() + kClientHeight + statusBar_->sizeHint().height());
  ShowZoom();
}

CMainFrame::~CMainFrame() {
  // The view goes first (its teardown closes the help and the engine), then the document.
  delete view_;
  view_ = nullptr;
  document_.reset();
}

void CMainFrame::CreateMenus() {
  auto action = [this](const QString& text, QList<QKeySequence> keys, auto slot) {
    auto* a = new QAction(text, this);
    a->setShortcuts(keys);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };

  QAction* quit = action(tr("&Quit"), {QKeySequence(Qt::CTRL | Qt::Key_Q)}, [this] {
    if (view_) view_->OnQuit();
  });
  AddMenuAction(FrameMenu::File, quit);
  menuEnds_[Index(FrameMenu::File)] = quit;

  // Ctrl++, however the keyboard makes the +: with Shift on the = key, or on the = key alone.
  zoomIn_ = action(tr("Zoom &In"),
                   {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal),
                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus)},
                   &CMainFrame::ZoomIn);
  zoomOut_ = action(tr("Zoom &Out"), {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, &CMainFrame::ZoomOut);
  actualSize_ = action(tr("&Actual Size"), {QKeySequence(Qt::CTRL | Qt::Key_0)}, &CMainFrame::ActualSize);
  for (QAction* zoom : {zoomIn_, zoomOut_, actualSize_}) AddMenuAction(FrameMenu::View, zoom);

  AddMenuAction(FrameMenu::Help, action(tr("Dravenholt &Help"), {QKeySequence(Qt::Key_F1)}, [this] {
                  if (view_) view_->OnHelp();
                }));
  QAction* separator = Menu(FrameMenu::Help)->addSeparator();
  // Ctrl+F1 reached the box before it had a menu item; it still does.
  QAction* about =
      action(tr("&About Dravenholt"), {QKeySequence(Qt::CTRL | Qt::Key_F1)}, &CMainFrame::aboutRequested);
  AddMenuAction(FrameMenu::Help, about);
  menuEnds_[Index(FrameMenu::Help)] = separator;
}

QMenu* CMainFrame::Menu(FrameMenu which) {
  const int index = Index(which);
  if (menus_[index] != nullptr) return menus_[index];
  auto* menu = new QMenu(tr(kMenuTitles[index].title), menuBar_);
  // In its place: before the first menu after it that is already there.
  QAction* before = nullptr;
  for (int later = index + 1; later < 5 && before == nullptr; ++later) {
    if (menus_[later] != nullptr) before = menus_[later]->menuAction();
  }
  menuBar_->insertMenu(before, menu);
  menus_[index] = menu;
  return menu;
}

void CMainFrame::AddMenuAction(FrameMenu which, QAction* action) {
  Menu(which)->insertAction(menuEnds_[Index(which)], action);
  addAction(action);
}

void CMainFrame::SetStatusText(const QString& text) { statusText_->setText(text); }

QString CMainFrame::StatusText() const { return statusText_->text(); }

QSize CMainFrame::FrameSize() const { return QSize(kFrameWidth, kFrameHeight + height() - kClientHeight); }

int CMainFrame::OnCreate() {
  auto* view = new CHistView(document_.get(), location_, this);
  if (view->OnCreate() == -1) {
    delete view;
    return -1;
  }
  view->setFixedSize(kClientWidth, kClientHeight);
  static_cast<QVBoxLayout*>(layout())->insertWidget(0, view);
  view_ = view;

  auto* find = new FindMenu(view, this);
  for (QAction* item : find->Actions()) AddMenuAction(FrameMenu::Find, item);
  connect(find, &FindMenu::statusChanged, this, &CMainFrame::SetStatusText);
  SetStatusText(find->StatusText());

  uses_ = new UseActions(view, this);
  uses_->SetSearchDescription([this] { return StatusText(); });
  for (QAction* item : uses_->EditActions()) AddMenuAction(FrameMenu::Edit, item);
  for (QAction* item : uses_->FileActions()) AddMenuAction(FrameMenu::File, item);
  return 0;
}

void CMainFrame::ActivateFrame(int showCommand) {
  if (!firstActivation_) {
    if (showCommand == kSwShowMinimized) {
      showMinimized();
    } else {
      showNormal();
      raise();
      activateWindow();
    }
    return;
  }
  int right = kFrameWidth;
  int bottom = kFrameHeight;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    right = area.x() + area.width();
    bottom = area.y() + area.height();
  }
  firstActivation_ = false;
  normalRect_ = FirstActivationRect(right, bottom, FrameSize());
  move(normalRect_.topLeft());
  if (showCommand == kSwShowMinimized) {
    showMinimized();
  } else {
    showNormal();
  }
}

void CMainFrame::RaiseWithPopup() {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
  if (QWidget* popup = QApplication::activeModalWidget(); popup && popup != this) {
    popup->raise();
    popup->activateWindow();
  }
}

double CMainFrame::LargestFittingZoom() const {
  const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
  if (shown == nullptr) return kZoomSteps[0];
  // The available area in logical pixels shrinks as the zoom grows; at zoom 1 it is this.
  const QSize available = (QSizeF(shown->availableGeometry().size()) * ScreenZoom()).toSize();
  return LargestStepWithin(FrameSize(), available, 1.0);
}

void CMainFrame::ZoomIn() {
  const double next = StepAfter(ScreenZoom());
  if (next <= LargestFittingZoom()) SetZoom(next);
}

void CMainFrame::ZoomOut() { SetZoom(StepBefore(ScreenZoom())); }

void CMainFrame::ActualSize() { SetZoom(kZoomSteps[0]); }

void CMainFrame::SetZoom(double zoom) {
  if (zoom == ScreenZoom()) return;
  SetScreenZoom(zoom);
  RememberZoom(zoom);
  ShowZoom();
}

void CMainFrame::ShowZoom() {
  const double zoom = ScreenZoom();
  zoomText_->setText(tr("%1%").arg(qRound(zoom * 100)));
  const double next = StepAfter(zoom);
  zoomIn_->setEnabled(next > zoom && next <= LargestFittingZoom());
  zoomOut_->setEnabled(StepBefore(zoom) < zoom);
  actualSize_->setEnabled(zoom != kZoomSteps[0]);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  // Closing the frame ends the message loop; the view and the document are destroyed after it
  // returns, never from inside a command that is still running.
  event->accept();
  QCoreApplication::quit();
}
