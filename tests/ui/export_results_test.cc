// A whole result leaving the program (CSV, JSON, GEDCOM, a printed list) is written as it is
// read: the bytes are those of the whole document made at once from every entry, and what is
// held while it is written does not grow with the result.
#include "ui/export_results.h"

#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "live_bytes.h"
#include "records/export_document.h"
#include "records/gedcom_writer.h"
#include "ui/printing.h"
#include "ui/whole_result.h"
#include "viewer_fixture.h"

#if DRAVENHOLT_CAN_PRINT
#include <QPrinter>

#include "ui/print_results.h"
#endif

namespace {

// Entries enough that holding them all (or the whole text) would stand far above one entry's
// worth: some 1.4 MB of GEDCOM, 4000 entries of some 400 bytes each.
constexpr int kEntries = 4000;
// What one walk may hold beyond its start (some 20 KB is seen): a progress window, a buffer of
// the file, an entry.
constexpr std::size_t kBoundBytes = 256 * 1024;

std::string FileBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "";
  return file.readAll().toStdString();
}

class ExportResultsTest : public ViewerTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(files.isValid());
    SetProgressDelay(0);
    for (int i = 0; i < kEntries; ++i) {
      roll.Add("Smith", "NAME" + std::to_string(10000 + i), SampleFields(i % 2 == 0 ? "C" : "K"));
    }
    OpenWindow();
    Search(QStringLiteral("Smith"));
    ASSERT_EQ(view->Results()->ResultCount(), kEntries);
    ASSERT_EQ(ForEachEntry(view, QStringLiteral("Reading"),
                           [this](const SoldierEntry& entry) {
                             entries.push_back(entry);
                             return true;
                           }),
              WalkOutcome::kDone);
  }
  void TearDown() override { SetProgressDelay(500); }

  QString Path(const char* name) const { return files.filePath(QString::fromLatin1(name)); }

  QTemporaryDir files;
  std::vector<SoldierEntry> entries;  // the result read whole, the way the bytes are compared
};

std::string WholeDocument(ExportFormat format, const std::vector<SoldierEntry>& entries) {
  ExportDocument document(format);
  std::string out = document.Begin();
  for (const SoldierEntry& entry : entries) out += document.Entry(entry);
  return out + document.End();
}

TEST_F(ExportResultsTest, EveryExportWritesTheWholeDocumentHoldingOneEntryAtATime) {
  GedcomOptions options;
  options.date = "9 DEC 2026";
  struct Case {
    const char* name;
    std::function<bool(const QString&)> write;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"all.csv", [&](const QString& path) { return WriteExport(view, path, ExportFormat::kCsv); },
       WholeDocument(ExportFormat::kCsv, entries)},
      {"all.json", [&](const QString& path) { return WriteExport(view, path, ExportFormat::kJson); },
       WholeDocument(ExportFormat::kJson, entries)},
      {"all.ged", [&](const QString& path) { return WriteResultGedcom(view, path, options); },
       WriteGedcom(entries, options)},
  };
  for (const Case& one : cases) {
    const QString path = Path(one.name);
    ASSERT_TRUE(one.write(path)) << one.name;  // once, so that first-use caches are not counted
    const PeakLiveBytes held;
    ASSERT_TRUE(one.write(path)) << one.name;
    const std::size_t peak = held.Peak();
    EXPECT_EQ(FileBytes(path), one.expected) << one.name;
    if (LiveBytesCounted()) {
      EXPECT_LT(peak, kBoundBytes) << one.name << " held " << peak << " bytes";
    }
  }
  EXPECT_GT(WriteGedcom(entries, options).size(), 4 * kBoundBytes);  // the bound tells holding all apart
}

#if DRAVENHOLT_CAN_PRINT
TEST_F(ExportResultsTest, APrintedListIsPaintedPageByPageAndAStoppedOneSavesNothing) {
  const PrintHeading heading{QStringLiteral("Search: SMITH"), QStringLiteral("4000 records found."), QDate()};
  auto print = [&](const QString& path, long stopAfter) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    long given = 0;
    return PrintThroughSave(&printer, InputFiles(), [&](QPrinter* target) {
      return PrintResultList(target, heading, [&](const std::function<bool(const SoldierEntry&)>& take) {
        return ForEachEntry(view, QStringLiteral("Printing"), [&](const SoldierEntry& entry) {
                 return ++given <= stopAfter && take(entry);
               }) == WalkOutcome::kDone;
      });
    });
  };
  const QString pdf = Path("all.pdf");
  ASSERT_TRUE(print(pdf, 1L << 30));
  const PeakLiveBytes held;
  ASSERT_TRUE(print(pdf, 1L << 30));
  const std::size_t peak = held.Peak();
  EXPECT_TRUE(FileBytes(pdf).starts_with("%PDF"));
  if (LiveBytesCounted()) {
    EXPECT_LT(peak, kBoundBytes) << "held " << peak << " bytes";
  }

  // Stopped in the painting run (the third walk), the job is abandoned: the old file stays.
  QFile::remove(pdf);
  EXPECT_FALSE(print(pdf, 2L * kEntries + kEntries / 2));
  EXPECT_FALSE(QFile::exists(pdf));
}
#endif

}  // namespace
