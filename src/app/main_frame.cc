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

#include "app/research_actions.h"
#include "app/view_doc.h"
#include "app/view_zoom.h"
#include "app/viewer_settings.h"
#include "platform/qt/screen_zoom.h"
#include "ui/companion_builds.h"
#include "ui/find_menu.h"
#include "ui/hist_view.h"
#include "ui/unit_actions.h"
#include "ui/unit_window.h"
#include "ui/use_actions.h"
#include "ui/view_accessible.h"

namespace {

struct MenuTitle {
  FrameMenu menu;
  const char* title;
};
// How long the strip says that the companion index is ready, or could not be built.
constexpr int kCompanionReadyMilliseconds = 5000;
constexpr int kCompanionFailedMilliseconds = 30000;

constexpr MenuTitle kMenuTitles[] = {{FrameMenu::kFile, QT_TRANSLATE_NOOP("CMainFrame", "&File")},
                                     {FrameMenu::kEdit, QT_TRANSLATE_NOOP("CMainFrame", "&Edit")},
                                     {FrameMenu::kFind, QT_TRANSLATE_NOOP("CMainFrame", "F&ind")},
                                     {FrameMenu::kView, QT_TRANSLATE_NOOP("CMainFrame", "&View")},
                                     {FrameMenu::kHelp, QT_TRANSLATE_NOOP("CMainFrame", "&Help")}};

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

CMainFrame::CMainFrame(std::unique_ptr<CViewDoc> document, const DataLocation& dataLocation)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_document(std::move(document)),
      location(dataLocation) {
  // Created with an empty caption; start-up sets it once the window is up.
  m_menuBar = new QMenuBar(this);
  // In the window on every desktop: the screen below it is laid out for it.
  m_menuBar->setNativeMenuBar(false);
  m_statusBar = new QStatusBar(this);
  m_statusBar->setSizeGripEnabled(false);
  m_statusText = new QLabel(m_statusBar);
  m_statusText->setObjectName(QStringLiteral("statusText"));
  m_statusText->setContentsMargins(4, 0, 4, 0);
  m_statusBar->addWidget(m_statusText);
  // The selected row in plain words takes what room is left, cut short with an ellipsis (its
  // tooltip has it whole).
  m_rowText = new QLabel(m_statusBar);
  m_rowText->setObjectName(QStringLiteral("rowText"));
  m_rowText->setContentsMargins(4, 0, 4, 0);
  m_rowText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  m_statusBar->addWidget(m_rowText, 1);
  m_pageText = new QLabel(m_statusBar);
  m_pageText->setObjectName(QStringLiteral("pageText"));
  m_pageText->setContentsMargins(4, 0, 4, 0);
  m_statusBar->addPermanentWidget(m_pageText);
  m_zoomText = new QLabel(m_statusBar);
  m_zoomText->setObjectName(QStringLiteral("zoomText"));
  m_zoomText->setContentsMargins(4, 0, 6, 0);
  m_statusBar->addPermanentWidget(m_zoomText);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(m_menuBar);
  layout->addWidget(m_statusBar);

  CreateMenus();
  m_menuBar->setFixedHeight(OnWholeDevicePixels(m_menuBar->sizeHint().height()));
  setFixedSize(kClientWidth, m_menuBar->height() + kClientHeight + m_statusBar->sizeHint().height());
  ShowZoom();
}

CMainFrame::~CMainFrame() {
  // The view goes first (its teardown closes the help and the engine), then the document.
  delete m_view;
  m_view = nullptr;
  m_document.reset();
}

void CMainFrame::CreateMenus() {
  auto action = [this](const QString& text, QList<QKeySequence> keys, auto slot) {
    auto* a = new QAction(text, this);
    a->setShortcuts(keys);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };

  QAction* quit = action(tr("&Quit"), {QKeySequence(Qt::CTRL | Qt::Key_Q)}, [this] {
    if (m_view) m_view->OnQuit();
  });
  AddMenuAction(FrameMenu::kFile, quit);
  m_menuEnds[Index(FrameMenu::kFile)] = quit;

  // Ctrl++, however the keyboard makes the +: with Shift on the = key, or on the = key alone.
  m_zoomIn = action(tr("Zoom &In"),
                   {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal),
                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus)},
                   &CMainFrame::ZoomIn);
  m_zoomOut = action(tr("Zoom &Out"), {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, &CMainFrame::ZoomOut);
  m_actualSize = action(tr("&Actual Size"), {QKeySequence(Qt::CTRL | Qt::Key_0)}, &CMainFrame::ActualSize);
  for (QAction* zoom : {m_zoomIn, m_zoomOut, m_actualSize}) AddMenuAction(FrameMenu::kView, zoom);

  AddMenuAction(FrameMenu::kHelp, action(tr("Dravenholt &Help"), {QKeySequence(Qt::Key_F1)}, [this] {
                  if (m_view) m_view->OnHelp();
                }));
  QAction* separator = Menu(FrameMenu::kHelp)->addSeparator();
  // Ctrl+F1 reached an About box before it had a menu item; it reaches the item's box.
  QAction* about =
      action(tr("&About Dravenholt"), {QKeySequence(Qt::CTRL | Qt::Key_F1)}, &CMainFrame::aboutRequested);
  AddMenuAction(FrameMenu::kHelp, about);
  m_menuEnds[Index(FrameMenu::kHelp)] = separator;
}

QMenu* CMainFrame::Menu(FrameMenu which) {
  const int index = Index(which);
  if (m_menus[index] != nullptr) return m_menus[index];
  auto* menu = new QMenu(tr(kMenuTitles[index].title), m_menuBar);
  // In its place: before the first menu after it that is already there.
  QAction* before = nullptr;
  for (int later = index + 1; later < 5 && before == nullptr; ++later) {
    if (m_menus[later] != nullptr) before = m_menus[later]->menuAction();
  }
  m_menuBar->insertMenu(before, menu);
  m_menus[index] = menu;
  return menu;
}

void CMainFrame::AddMenuAction(FrameMenu which, QAction* action) {
  Menu(which)->insertAction(m_menuEnds[Index(which)], action);
  addAction(action);
}

void CMainFrame::SetStatusText(const QString& text) { m_statusText->setText(text); }

QString CMainFrame::StatusText() const { return m_statusText->text(); }

QString CMainFrame::PageText() const { return m_pageText->text(); }

QString CMainFrame::RowText() const { return m_rowText->toolTip(); }

void CMainFrame::ShowListState() {
  if (m_view == nullptr) return;
  m_pageText->setText(QString::fromStdString(m_view->Screen().PageLine()));
  const QString row = QString::fromStdString(m_view->Screen().RowWords(m_view->SelectedRow()));
  m_rowText->setToolTip(row);
  m_rowText->setText(
      m_rowText->fontMetrics().elidedText(row, Qt::ElideRight, m_rowText->contentsRect().width()));
}

QSize CMainFrame::FrameSize() const { return QSize(kFrameWidth, kFrameHeight + height() - kClientHeight); }

int CMainFrame::OnCreate() {
  auto* view = new CHistView(m_document.get(), location, this);
  if (view->OnCreate() == -1) {
    delete view;
    return -1;
  }
  view->setFixedSize(kClientWidth, kClientHeight);
  static_cast<QVBoxLayout*>(layout())->insertWidget(0, view);
  m_view = view;
  // The painted count line and result table are described to assistive technology.
  ListenForAccessibility(view);
  connect(view, &CViewView::resultChanged, this, &CMainFrame::ShowListState);

  auto* find = new FindMenu(view, this);
  for (QAction* item : find->Actions()) AddMenuAction(FrameMenu::kFind, item);
  connect(find, &FindMenu::statusChanged, this, &CMainFrame::SetStatusText);
  SetStatusText(find->StatusText());

  // A unit's roster is no search of the Find menu's: the strip names the roster instead.
  m_units = new UnitActions(view, this);
  auto* beforeUnit = new QAction(this);
  beforeUnit->setSeparator(true);
  AddMenuAction(FrameMenu::kFind, beforeUnit);
  AddMenuAction(FrameMenu::kFind, m_units->FindAction());
  // Once the roster is gone (Clear), the strip says again how the next search will be made.
  connect(view, &CViewView::resultChanged, this, [this, find] {
    if (m_rosterInStrip && m_view->Screen().ShownRoster() == nullptr && !m_view->Screen().SearchIsShown()) {
      m_rosterInStrip = false;
      SetStatusText(find->StatusText());
    }
  });
  connect(view, &CViewView::searchShown, this, [this] { m_rosterInStrip = false; });
  connect(view, &CViewView::rosterShown, this, [this] {
    m_rosterInStrip = true;
    if (const RosterRequest* roster = m_view->Screen().ShownRoster())
      SetStatusText(RosterStatusText(*roster));
  });

  // The roll's companion index: built in the background once a roll is open, unless turned off.
  m_companions = new CompanionBuilds(view, CompanionIndexOn(), this);
  auto* beforeCompanion = new QAction(this);
  beforeCompanion->setSeparator(true);
  AddMenuAction(FrameMenu::kFind, beforeCompanion);
  auto* companion = new QAction(tr("Use a Companion &Index"), this);
  companion->setCheckable(true);
  companion->setChecked(m_companions->Enabled());
  companion->setToolTip(
      tr("Keeps what whole-roll questions need in your cache, built once per roll in the "
         "background, so that searches answer sooner"));
  connect(companion, &QAction::toggled, this, [this](bool on) {
    RememberCompanionIndex(on);
    m_companions->SetEnabled(on);
    if (!on) m_statusBar->clearMessage();
  });
  AddMenuAction(FrameMenu::kFind, companion);
  connect(m_companions, &CompanionBuilds::progressChanged, this,
          [this](int percent) { m_statusBar->showMessage(CompanionBuilds::ProgressText(percent)); });
  connect(m_companions, &CompanionBuilds::companionChanged, this,
          [this] { m_statusBar->showMessage(CompanionBuilds::ReadyText(), kCompanionReadyMilliseconds); });
  connect(m_companions, &CompanionBuilds::problemChanged, this, [this](const QString& problem) {
    m_statusBar->showMessage(CompanionBuilds::FailedText(problem), kCompanionFailedMilliseconds);
  });

  m_uses = new UseActions(view, this);
  m_uses->SetSearchDescription([this] { return StatusText(); });
  for (QAction* item : m_uses->EditActions()) AddMenuAction(FrameMenu::kEdit, item);
  for (QAction* item : m_uses->FileActions()) AddMenuAction(FrameMenu::kFile, item);

  auto* research = new ResearchActions(this);
  for (QAction* item : research->EditActions()) AddMenuAction(FrameMenu::kEdit, item);
  for (QAction* item : research->FileActions()) AddMenuAction(FrameMenu::kFile, item);
  return 0;
}

void CMainFrame::ActivateFrame(int showCommand) {
  if (!firstActivation) {
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
  firstActivation = false;
  m_normalRect = FirstActivationRect(right, bottom, FrameSize());
  move(m_normalRect.topLeft());
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
  m_zoomText->setText(tr("%1%").arg(qRound(zoom * 100)));
  const double next = StepAfter(zoom);
  m_zoomIn->setEnabled(next > zoom && next <= LargestFittingZoom());
  m_zoomOut->setEnabled(StepBefore(zoom) < zoom);
  m_actualSize->setEnabled(zoom != kZoomSteps[0]);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  // Closing the frame ends the message loop; the view and the document are destroyed after it
  // returns, never from inside a command that is still running.
  // A companion index being built is given up: nothing of it is left in the cache.
  if (m_companions) m_companions->Stop();
  event->accept();
  QCoreApplication::quit();
}
