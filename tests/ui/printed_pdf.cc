#include "printed_pdf.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "external_program.h"

PdfCheck ExpectPdfHolds(const QString& pdf, const QString& name, const std::vector<std::string>& texts) {
  // What an earlier run handed over must not stand for this one.
  const QString handover = qEnvironmentVariable("DRAVENHOLT_PRINTED_DIR");
  const QDir dir(handover);
  const QString copy = dir.filePath(name + QStringLiteral(".pdf"));
  const QString list = dir.filePath(name + QStringLiteral(".expected"));
  if (!handover.isEmpty()) {
    QFile::remove(list);
    QFile::remove(copy);
  }
  if (!QFileInfo(pdf).isFile()) {
    ADD_FAILURE() << "nothing was printed to " << pdf.toStdString();
    return PdfCheck::kChecked;
  }
  const std::string pdftotext = FindProgram("pdftotext");
  if (!pdftotext.empty()) {
    int status = 0;
    const std::string text = RunProgram(pdftotext, {"-layout", pdf.toStdString(), "-"}, {}, &status);
    EXPECT_EQ(status, 0) << text;
    std::string missing;
    for (const std::string& wanted : texts) {
      if (text.find(wanted) == std::string::npos) missing += "\n  " + wanted;
    }
    EXPECT_EQ(missing, "") << "not in the printed text:" << missing << "\nwhich is:\n" << text;
    return PdfCheck::kChecked;
  }

  if (handover.isEmpty()) return PdfCheck::kNoReader;
  QFile printed(pdf);
  EXPECT_TRUE(printed.open(QIODevice::ReadOnly) && printed.read(5) == "%PDF-") << pdf.toStdString() << ": no PDF";
  // The list goes last, so that a run that stops halfway leaves nothing the reader would take.
  EXPECT_TRUE(dir.mkpath(QStringLiteral("."))) << handover.toStdString();
  EXPECT_TRUE(QFile::copy(pdf, copy)) << copy.toStdString();
  QFile out(list);
  EXPECT_TRUE(out.open(QIODevice::WriteOnly)) << list.toStdString();
  for (const std::string& wanted : texts) out.write((wanted + "\n").c_str());
  EXPECT_TRUE(out.flush()) << list.toStdString();
  return PdfCheck::kHandedOver;
}
