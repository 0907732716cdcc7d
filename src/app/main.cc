// Dravenholt: the muster-roll viewer.
#include <QApplication>

#include "app/view_app.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  SetDesktopIdentity();
  // The command line is not examined.
  CViewApp app;
  if (app.InitInstance()) app.Run();
  app.ExitInstance();
  return 0;
}
