// What a printed PDF says, read back with pdftotext. pdftotext is a Linux program: where it does
// not run (the Windows build, under wine), the PDF and the texts it must hold are handed over to
// the directory $DRAVENHOLT_PRINTED_DIR names, as NAME.pdf and NAME.expected (one text a line,
// written last), and the build machine reads them back after the test
// (tests/support/printed_pdf_check.cmake).
#pragma once

#include <QString>
#include <string>
#include <vector>

enum class PdfCheck {
  kChecked,     // read back here; a text it lacks is a failure of the calling test
  kHandedOver,  // left for the build machine to read back
  kNoReader,    // neither: the calling test should say it was skipped
};

// Checks that the text of `pdf` holds each of `texts`, or hands both over as `name`.
PdfCheck ExpectPdfHolds(const QString& pdf, const QString& name, const std::vector<std::string>& texts);
