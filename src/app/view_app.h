// The application object: the single-instance rule, the configuration, the one document and
// its window, and the critical-error mode for the run.
#pragma once

#include <memory>

#include "store/data_location.h"

class CMainFrame;
class DiskFinder;
class SingleInstance;

inline constexpr const char* kMutexNameFormat = "PreventAnother%s";
inline constexpr const char* kDocumentName = "IDB_BACKDROP";
inline constexpr const char* kCreateDocumentMessage = "Failed to create empty document.";
inline constexpr unsigned kRunErrorMode = 0x8001;
// The id of the program's desktop entry (org.dravenholt.Dravenholt.desktop).
inline constexpr const char* kDesktopFileName = "org.dravenholt.Dravenholt";

// The program's identity on the desktop, set once the QApplication exists: its name, the desktop
// entry the window system matches its windows to, and the icon every window shows by default.
void SetDesktopIdentity();

class CViewApp {
 public:
  CViewApp();
  ~CViewApp();
  CViewApp(const CViewApp&) = delete;
  CViewApp& operator=(const CViewApp&) = delete;

  // Nonzero to enter the message loop; 0 to end at once (another copy runs, or no window).
  int InitInstance();
  // Runs the message loop until the main window closes, then destroys the window.
  void Run();
  // Restores the error mode and releases the configuration. Always 0.
  int ExitInstance();

  // The About command: the classic box.
  void OnAppAbout();
  // Help > About Dravenholt: the program's own box (app/program_about.h).
  void OnProgramAbout();

  CMainFrame* MainWindow() const { return m_mainWindow.get(); }
  // Where the roll is looked for and the disk asked for; null before InitInstance.
  DiskFinder* Finder() const { return m_diskFinder.get(); }

  DataLocation location;
  unsigned savedErrorMode = 0;

 private:
  // Creates the document, the frame and the view, and opens the document under `name`. The
  // frame, on success; null (and nothing left over) on failure.
  std::unique_ptr<CMainFrame> OpenDocumentFile(const char* name);

  std::unique_ptr<SingleInstance> m_instance;
  // Finds the roll where the configuration does not say, and asks for the disk.
  std::unique_ptr<DiskFinder> m_diskFinder;
  std::unique_ptr<CMainFrame> m_mainWindow;
};
