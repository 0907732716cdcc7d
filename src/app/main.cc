// Dravenholt: the muster-roll viewer.
#include <QApplication>

#include "app/view_app.h"
#include "platform/qt/qt_dialogs.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kAppTitle));
  // The command line is not examined.
  CViewApp app;
  if (app.InitInstance()) app.Run();
  app.ExitInstance();
  return 0;
}
