// What the system's own dialogs can do where the viewer shows them in place of Qt's.
#pragma once

// The print dialog. Qt's own, on Linux, offers a PDF file beside the printers. The system's, on
// Windows, lists the printers installed (a file is printed through one such as "Microsoft Print
// to PDF") and refuses a printer that is set to write a file, which is what a printer is when no
// printer is installed.
#ifdef _WIN32
inline constexpr bool kPrintDialogPrintsToFiles = false;
#else
inline constexpr bool kPrintDialogPrintsToFiles = true;
#endif
