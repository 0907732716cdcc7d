#include "app/view_app.h"

#include <cstdio>

#include <QApplication>
#include <QScreen>

#include "app/about_dialog.h"
#include "app/disk_prompt.h"
#include "app/main_frame.h"
#include "app/program_about.h"
#include "app/view_doc.h"
#include "app/view_zoom.h"
#include "app/viewer_settings.h"
#include "platform/error_mode.h"
#include "platform/message_box.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/screen_zoom.h"
#include "platform/qt/single_instance.h"
#include "ui/hist_view.h"

namespace {
constexpr int kRaiseTimeoutMs = 3000;

// The zoom the window opens at, chosen before it is first shown so that it is placed at its size:
// the one the user last chose, else the largest step at which it fits the screen comfortably.
void ApplyStartZoom(CMainFrame& frame) {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QSize available = (QSizeF(screen->availableGeometry().size()) * ScreenZoom()).toSize();
    SetScreenZoom(StartZoom(RememberedZoom(), frame.FrameSize(), available));
  }
  frame.ShowZoom();
}

}  // namespace

void SetDesktopIdentity() {
  QApplication::setApplicationName(QString::fromLatin1(kAppTitle));
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));
  QApplication::setWindowIcon(AppIcon());
}

CViewApp::CViewApp() = default;

CViewApp::~CViewApp() {
  m_mainWindow.reset();
  m_diskFinder.reset();
  m_instance.reset();
}

int CViewApp::InitInstance() {
  char name[256];
  std::snprintf(name, sizeof name, kMutexNameFormat, kAppTitle);
  m_instance = std::make_unique<SingleInstance>(QString::fromLatin1(name));
  if (!m_instance->Acquire()) {
    // Another copy runs: bring it forward if it is far enough to answer, and end quietly.
    m_instance->RaiseRunningCopy(kRaiseTimeoutMs);
    return 0;
  }

  SetDialogBkColor(QColor(192, 192, 192), QColor(0, 0, 0));
  InstallQtMessageBoxHandler();

  location.ReadConfiguration();
  m_diskFinder = std::make_unique<DiskFinder>(location);
  m_diskFinder->Locate();  // when the configured directory lacks the roll: mounted media, the last choice

  m_mainWindow = OpenDocumentFile(kDocumentName);
  if (!m_mainWindow) return 0;
  QObject::connect(m_mainWindow.get(), &CMainFrame::aboutRequested, [this] { OnProgramAbout(); });

  m_mainWindow->ActivateFrame(kSwShowNormal);
  m_mainWindow->setWindowTitle(QString::fromLatin1(kAppTitle));
  m_mainWindow->setWindowIcon(AppIcon());

  // From now on a later copy finds a window to raise.
  CMainFrame* frame = m_mainWindow.get();
  m_instance->Listen([frame] { frame->RaiseWithPopup(); });

  savedErrorMode = SetCriticalErrorMode(kRunErrorMode);
  return 1;
}

std::unique_ptr<CMainFrame> CViewApp::OpenDocumentFile(const char* name) {
  auto frame = std::make_unique<CMainFrame>(std::make_unique<CViewDoc>(), location);
  if (frame->OnCreate() == -1) {
    ShowMessageBox(kCreateDocumentMessage, kMbOk | kMbIconExclamation);
    return nullptr;
  }
  if (!frame->Document()->OnOpenDocument(name)) return nullptr;  // destroys view, frame, document
  frame->View()->OnInitialUpdate();
  ApplyStartZoom(*frame);
  frame->ActivateFrame(kSwShowNormal);
  return frame;
}

void CViewApp::Run() {
  if (m_mainWindow) QApplication::exec();
  m_mainWindow.reset();
}

int CViewApp::ExitInstance() {
  if (savedErrorMode != 0) SetCriticalErrorMode(savedErrorMode);
  location.Release();
  return 0;
}

void CViewApp::OnAppAbout() {
  AboutDialog dialog(m_mainWindow.get());
  dialog.DoModal();
}

void CViewApp::OnProgramAbout() {
  ProgramAboutBox box(m_mainWindow.get());
  box.exec();
}
