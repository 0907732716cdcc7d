// Dravenholt: the muster-roll viewer.
#include <QApplication>

#include "app/view_app.h"
#include "platform/scratch_file.h"

int main(int argc, char* argv[]) {
  // A write past a file-size limit fails and is reported, instead of ending the program.
  IgnoreFileSizeLimitSignal();
  QApplication application(argc, argv);
  SetDesktopIdentity();
  // The command line is not examined.
  CViewApp app;
  if (app.InitInstance()) app.Run();
  app.ExitInstance();
  return 0;
}
