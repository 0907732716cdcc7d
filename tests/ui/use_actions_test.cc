// Using what was found: copy, citations, export, the pull list, GEDCOM and print, each from its
// menu item or key, over a built roll; the files are read back by a CSV reader, a JSON parser,
// the GEDCOM checks (and Gramps when it is installed) and pdftotext. Every save follows one rule:
// never over a file of the roll, never through another user's link, a failure told in the
// system's words once its progress window has gone.
#include "ui/use_actions.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <nlohmann/json.hpp>

#include "csv_reader.h"
#include "external_program.h"
#include "gedcom_lines.h"
#include "printed_pdf.h"
#include "records/citation.h"
#include "records/export_rows.h"
#include "support/fifo.h"
#include "support/unprivileged.h"
#include "ui/export_results.h"
#include "ui/more_info_dialog.h"
#include "ui/pull_list_dialog.h"
#include "ui/save_file.h"
#include "ui/whole_result.h"
#include "viewer_fixture.h"

#if DRAVENHOLT_CAN_PRINT
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "platform/qt/system_dialogs.h"
#include "ui/print_results.h"
#endif

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#endif

namespace {

QStringList ItemTexts(const QMenu* menu) {
  QStringList items;
  for (const QAction* action : menu->actions()) {
    items << (action->isSeparator() ? QStringLiteral("-")
                                    : action->text() + QLatin1Char('\t') +
                                          action->shortcut().toString(QKeySequence::PortableText));
  }
  return items;
}

QAction* Item(CMainFrame* frame, FrameMenu menu, const QString& text) {
  for (QAction* action : frame->Menu(menu)->actions()) {
    if (action->text() == text) return action;
  }
  ADD_FAILURE() << "no item " << text.toStdString();
  return nullptr;
}

std::string FileBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "";
  return file.readAll().toStdString();
}

// Answers the next file dialog with `path` (and the filter `filter`, when given).
QObject* AnswerFileDialog(const QString& path, const QString& filter) {
  return OnNextModal([path, filter](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    if (!filter.isEmpty()) dialog->selectNameFilter(filter);
    dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept();
  });
}

// The names of the export's rows: "SURNAME|given name" for each record after the header.
std::vector<std::string> CsvNames(const CsvRecords& records) {
  std::vector<std::string> names;
  for (std::size_t i = 1; i < records.size(); ++i) names.push_back(records[i][0] + "|" + records[i][1]);
  return names;
}

class UseActionsTest : public ViewerTest {
 protected:
  void SetUp() override {
    SetProgressDelay(0);
    ASSERT_TRUE(files.isValid());
  }
  void TearDown() override {
    SetProgressDelay(500);
    // A dialog that never came must not be answered in the next test.
    for (const QPointer<QObject>& waiting : answers) delete waiting.data();
  }

  void SaveAs(const QString& path, const QString& filter = QString()) {
    answers.push_back(AnswerFileDialog(path, filter));
  }
  // The keys of a menu item reach the window while it is the active one, as after any dialog.
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QApplication::setActiveWindow(frame.get());
    QTest::keyClick(view->NameField(0), key, modifiers);
  }

  void Open() {
    AddStandardEntries(&roll);
    OpenWindow();
  }
  QString Path(const char* name) const { return files.filePath(QString::fromLatin1(name)); }
  QString Clipboard() const { return QGuiApplication::clipboard()->text(); }

  QTemporaryDir files;
  std::vector<QPointer<QObject>> answers;
};

TEST_F(UseActionsTest, ItemsStandInTheMenusAndFollowTheResultAndTheSelection) {
  Open();
  QStringList file = ItemTexts(frame->Menu(FrameMenu::kFile));
  QStringList expected{"&Export Results...\tCtrl+E", "Microfilm &Pull List...\t", "-",
                       "Save Soldier as &GEDCOM...\t", "Save &All Results as GEDCOM...\t", "-"};
  if (DRAVENHOLT_CAN_PRINT) expected << "Print Pre&view...\t" << "P&rint...\tCtrl+P" << "-";
  expected << "Resear&ch Log...\tCtrl+Shift+R" << "Record &Searches\t" << "-" << "&Quit\tCtrl+Q";
  EXPECT_EQ(file, expected) << "the print items only where the build can print";
  EXPECT_EQ(ItemTexts(frame->Menu(FrameMenu::kEdit)),
            (QStringList{"&Copy\tCtrl+C", "Copy C&itation\tCtrl+Shift+C", "Copy &Evidence Citation\t",
                         "Save to Research &Log\tCtrl+S"}));

  QAction* exportItem = Item(frame.get(), FrameMenu::kFile, QStringLiteral("&Export Results..."));
  QAction* copyItem = Item(frame.get(), FrameMenu::kEdit, QStringLiteral("&Copy"));
  EXPECT_FALSE(exportItem->isEnabled());
  EXPECT_FALSE(copyItem->isEnabled());
  Search(QStringLiteral("Abbott"));
  EXPECT_TRUE(exportItem->isEnabled());
  EXPECT_EQ(copyItem->isEnabled(), view->SelectedRow() >= 0);
  ClickRow(2);
  EXPECT_TRUE(copyItem->isEnabled());
  Search(QStringLiteral("Nobody"));
  EXPECT_FALSE(exportItem->isEnabled());
  EXPECT_FALSE(copyItem->isEnabled());
}

TEST_F(UseActionsTest, CopyPutsTheRowAndTheCitationsOnTheClipboard) {
  Open();
  Search(QStringLiteral("Abbott"));
  ClickRow(1);
  QGuiApplication::clipboard()->clear();
  QTest::keyClick(view->NameField(0), Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(Clipboard().startsWith(QStringLiteral("ABBOTT\tADAM\t"))) << Clipboard().toStdString();
  EXPECT_TRUE(Clipboard().contains(QStringLiteral("5 IL INF"))) << Clipboard().toStdString();

  const std::vector<std::string> fields = SampleFields("B");
  const SoldierEntry adam = EntryFromRoll("ABBOTT", "ADAM", {fields.begin(), fields.end()});
  Key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Clipboard().toStdString(), PlainCitation(adam));
  Item(frame.get(), FrameMenu::kEdit, QStringLiteral("Copy &Evidence Citation"))->trigger();
  EXPECT_EQ(Clipboard().toStdString(), EvidenceCitation(adam));

  // With text selected in a name field, Ctrl+C copies that text, as in any field.
  view->NameField(0)->setText(QStringLiteral("Abbott"));
  view->NameField(0)->selectAll();
  QTest::keyClick(view->NameField(0), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(Clipboard(), QStringLiteral("Abbott"));
}

TEST_F(UseActionsTest, MoreInfoShowsTheUnitInPlainWordsAndCopiesTheRecord) {
  Open();
  Search(QStringLiteral("Abbott"));
  ClickRow(0);
  QString unit, body, record;
  OnNextModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<MoreInfoDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    unit = dialog->UnitLine()->text();
    body = dialog->Body()->toPlainText();
    QTest::mouseClick(dialog->CopyButton(), Qt::LeftButton);
    record = QGuiApplication::clipboard()->text();
    QTest::mouseClick(dialog->CitationButton(), Qt::LeftButton);
    static_cast<QDialog*>(dialog)->accept();
  });
  QTest::mouseClick(view->MoreInfoButton(), Qt::LeftButton);
  EXPECT_EQ(unit, QStringLiteral("Unit in plain words: 5th Illinois Infantry (Union)"));
  // The body keeps the roll's own text; the plain words are an addition beneath it.
  EXPECT_TRUE(body.contains(QStringLiteral("5 IL INF")));
  EXPECT_FALSE(body.contains(QStringLiteral("Illinois")));
  EXPECT_EQ(record,
            QStringLiteral("ABBOTT, AARON\n\n") + body + QStringLiteral("\n\n") + unit + QLatin1Char('\n'));
  const std::vector<std::string> fields = SampleFields("B");
  EXPECT_EQ(Clipboard().toStdString(), PlainCitation(EntryFromRoll("ABBOTT", "AARON", {fields.begin(), fields.end()})));
}

TEST_F(UseActionsTest, ExportWritesEveryRowOfTheResultNotOnlyThePage) {
  Open();
  Search(QStringLiteral("Abbott"));
  ClickRow(4);
  const QString csvPath = Path("abbott.csv");
  SaveAs(csvPath);
  Key(Qt::Key_E, Qt::ControlModifier);
  const CsvRecords records = ReadCsv(FileBytes(csvPath));
  ASSERT_EQ(records.size(), 24u);
  const auto& columns = ExportColumns();
  EXPECT_EQ(records[0], std::vector<std::string>(columns.begin(), columns.end()));
  const std::vector<std::string> names = CsvNames(records);
  EXPECT_EQ(names.front(), "ABBOTT|AARON");
  EXPECT_EQ(names[10], "ABBOTT|HENRY");
  EXPECT_EQ(names.back(), "ABBOTT|WILLIAM");
  // The screen kept its page and its selection.
  EXPECT_EQ(view->SelectedRow(), 4);
  EXPECT_EQ(QString::fromLatin1(view->RowText(0)).section(QLatin1Char('\t'), 1, 1), QStringLiteral("AARON"));

  // JSON by the filter chosen; a filtered result gives only its rows.
  Search(QStringLiteral("Abbott"), QStringLiteral("John"));
  const QString jsonPath = Path("john.json");
  SaveAs(jsonPath, QStringLiteral("JSON files (*.json)"));
  Item(frame.get(), FrameMenu::kFile, QStringLiteral("&Export Results..."))->trigger();
  const nlohmann::json array = nlohmann::json::parse(FileBytes(jsonPath));
  ASSERT_EQ(array.size(), 5u);
  EXPECT_EQ(array[0].at("given_name"), "JOHN");
  EXPECT_EQ(array[4].at("given_name"), "JOHNSON");
  EXPECT_EQ(array[2].at("unit_name"), "5th Illinois Infantry");
  EXPECT_EQ(array[2].at("unit"), "5 IL INF");
}

// Where the desktop's key bindings make Ctrl+E a line edit's "end of line" (as on X11), the field
// claims the key before the window's shortcut sees it; the filter here claims it the same way.
class ClaimsEndOfLine : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_E)) {
      event->accept();
      return true;
    }
    return false;
  }
};

TEST_F(UseActionsTest, CtrlEExportsWhileTheCaretIsInANameField) {
  Open();
  Search(QStringLiteral("Abbott"));
  ClaimsEndOfLine claims;
  for (QLineEdit* field : {view->NameField(0), view->NameField(1)}) {
    field->installEventFilter(&claims);
    // The view's own filter comes first again, as it does on a real desktop (it was there first).
    field->installEventFilter(view);
  }
  const QString csvPath = Path("abbott.csv");
  SaveAs(csvPath);
  Key(Qt::Key_E, Qt::ControlModifier);
  EXPECT_EQ(ReadCsv(FileBytes(csvPath)).size(), 24u);

  // The field's other keys are its own: Ctrl+A selects.
  view->NameField(1)->setFocus();
  QTest::keyClicks(view->NameField(1), QStringLiteral("John"));
  QTest::keyClick(view->NameField(1), Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(view->NameField(1)->selectedText(), QStringLiteral("John"));
}

TEST_F(UseActionsTest, ACancelledExportLeavesNoFile) {
  for (int i = 0; i < 600; ++i) roll.Add("Smith", "NAME" + std::to_string(1000 + i));
  OpenWindow();
  Search(QStringLiteral("Smith"));
  const QString path = Path("smith.csv");
  SaveAs(path);
  // Cancels the progress window as soon as it is up: the export turns to it between rows.
  QTimer cancel;
  cancel.setInterval(0);
  bool cancelled = false;
  QObject::connect(&cancel, &QTimer::timeout, [&] {
    if (auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget())) {
      progress->cancel();
      cancelled = true;
    }
  });
  cancel.start();
  Key(Qt::Key_E, Qt::ControlModifier);
  cancel.stop();
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(QDir(files.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());

  // Uncancelled, the same export has every row.
  SaveAs(path);
  Key(Qt::Key_E, Qt::ControlModifier);
  EXPECT_EQ(ReadCsv(FileBytes(path)).size(), 601u);
}

TEST_F(UseActionsTest, ExportRefusesWhatIsNotAFile) {
  Open();
  Search(QStringLiteral("Abbott"));
  // A directory, and a FIFO that an open would block on (where the system has them): neither is
  // written nor replaced.
  ASSERT_TRUE(QDir(files.path()).mkdir(QStringLiteral("folder.csv")));
  std::vector<const char*> names{"folder.csv"};
  if (MakeFifo(Path("fifo.csv").toStdString())) names.push_back("fifo.csv");
  const QString refused = QStringLiteral("Something other than a file stands there.");
  std::vector<std::string> expected;
  QStringList listed;
  for (const char* name : names) {
    EXPECT_FALSE(WriteExport(view, Path(name), ExportFormat::kCsv)) << name;
    expected.push_back(SaveFailedText(Path(name), refused).toStdString());
    listed << QString::fromLatin1(name);
  }
  listed.sort();
  EXPECT_EQ(boxes.Texts(), expected);
  EXPECT_TRUE(QFileInfo(Path("folder.csv")).isDir());
  EXPECT_EQ(QDir(files.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden),
            listed);
}

TEST_F(UseActionsTest, PullListShowsTheRollsAndCopiesThem) {
  AddStandardEntries(&roll);
  std::vector<std::string> other = SampleFields("K");
  other[6] = "150";
  other[7] = "2";
  roll.Add("Abbott", "ZEB", other);
  OpenWindow();
  Search(QStringLiteral("Abbott"));
  QString shown;
  int headingRoom = -1;
  OnNextModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<PullListDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    shown = dialog->Text()->toPlainText();
    // The heading is not cut: the text's viewport holds its widest line.
    headingRoom = dialog->Text()->viewport()->width() -
                  dialog->Text()->fontMetrics().horizontalAdvance(shown.section(QLatin1Char('\n'), 0, 0));
    QTest::mouseClick(dialog->CopyButton(), Qt::LeftButton);
    dialog->reject();
  });
  Item(frame.get(), FrameMenu::kFile, QStringLiteral("Microfilm &Pull List..."))->trigger();
  EXPECT_EQ(shown, QStringLiteral("National Archives microfilm to request: 2 rolls for 24 entries.\n"
                                  "Box 12, roll 34: 23 entries\nBox 150, roll 2: 1 entry\n"));
  EXPECT_GT(headingRoom, 0);
  EXPECT_EQ(Clipboard(), shown);
}

TEST_F(UseActionsTest, MoreInfoWalksTheResultAndSavesOrPrintsItsRecord) {
  Open();
  Search(QStringLiteral("Abbott"));
  ClickRow(9);
  const QString path = Path("henry.ged");
  QStringList captions;
  bool firstHasPrevious = true;
  bool lastHasNext = true;
  bool printOffered = false;
  OnNextModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<MoreInfoDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    printOffered = dialog->PrintButton()->isEnabled();
    captions << dialog->windowTitle();
    // Next crosses to the next page, as Down does; Previous comes back.
    QTest::mouseClick(dialog->NextButton(), Qt::LeftButton);
    captions << dialog->windowTitle();
    EXPECT_EQ(view->PageIndex(), 1);
    EXPECT_EQ(view->SelectedRow(), 0);
    SaveAs(path);
    QTest::mouseClick(dialog->GedcomButton(), Qt::LeftButton);
    QTest::mouseClick(dialog->PreviousButton(), Qt::LeftButton);
    captions << dialog->windowTitle();
    dialog->reject();
  });
  QTest::mouseClick(view->MoreInfoButton(), Qt::LeftButton);
  EXPECT_EQ(captions, (QStringList{"ABBOTT, GEORGE", "ABBOTT, HENRY", "ABBOTT, GEORGE"}));
  EXPECT_EQ(printOffered, DRAVENHOLT_CAN_PRINT != 0);
  const std::vector<GedcomLine> lines = ParseGedcom(FileBytes(path));
  const std::size_t name = FindGedcomTag(lines, "NAME", FindGedcomTag(lines, "INDI"));
  ASSERT_LT(name, lines.size());
  EXPECT_EQ(lines[name].value, "HENRY J /ABBOTT/");

  // At the ends of the result there is nothing before the first record or after the last.
  view->OnClear();
  Search(QStringLiteral("Abbott"));
  ClickRow(0);
  OnNextModal([&](QWidget* modal) {
    firstHasPrevious = static_cast<MoreInfoDialog*>(modal)->PreviousButton()->isEnabled();
    static_cast<QDialog*>(modal)->reject();
  });
  QTest::mouseClick(view->MoreInfoButton(), Qt::LeftButton);
  Search(QStringLiteral("Carter"));
  ClickRow(0);
  OnNextModal([&](QWidget* modal) {
    lastHasNext = static_cast<MoreInfoDialog*>(modal)->NextButton()->isEnabled();
    static_cast<QDialog*>(modal)->reject();
  });
  QTest::mouseClick(view->MoreInfoButton(), Qt::LeftButton);
  EXPECT_FALSE(firstHasPrevious);
  EXPECT_FALSE(lastHasNext);
}

TEST_F(UseActionsTest, GedcomOfTheSelectedSoldierAndOfTheWholeResult) {
  Open();
  Search(QStringLiteral("Abbott"));
  ClickRow(3);
  const QString one = Path("benjamin.ged");
  SaveAs(one);
  Item(frame.get(), FrameMenu::kFile, QStringLiteral("Save Soldier as &GEDCOM..."))->trigger();
  const std::vector<GedcomLine> lines = ParseGedcom(FileBytes(one));
  ExpectWellFormedGedcom(lines);
  const std::size_t name = FindGedcomTag(lines, "NAME", FindGedcomTag(lines, "INDI"));
  ASSERT_LT(name, lines.size());
  EXPECT_EQ(lines[name].value, "BENJAMIN J /ABBOTT/");

  const QString all = Path("all.ged");
  SaveAs(all);
  Item(frame.get(), FrameMenu::kFile, QStringLiteral("Save &All Results as GEDCOM..."))->trigger();
  const std::vector<GedcomLine> whole = ParseGedcom(FileBytes(all));
  ExpectWellFormedGedcom(whole);
  std::size_t people = 0;
  for (const GedcomLine& line : whole) people += line.level == 0 && line.tag == "INDI";
  EXPECT_EQ(people, 23u);

  const std::string gramps = FindProgram("gramps");
  if (gramps.empty())
    GTEST_SKIP() << "gramps is not installed (Debian package gramps): the import was not tried";
  int status = 0;
  const std::string report =
      RunProgram(gramps, {"-y", "-q", "-C", "Viewer", "-i", all.toStdString()},
                 {"GRAMPSHOME=" + Path("home").toStdString(), "LANGUAGE=en", "LC_ALL=C.UTF-8"}, &status);
  EXPECT_EQ(status, 0) << report;
  EXPECT_NE(report.find("GEDCOM import report: No errors detected"), std::string::npos) << report;
}

// A save never replaces a file the roll is read from, by any name, nor a file of any roll: the
// export, a GEDCOM or pull list file (SaveBytes) and a printed PDF alike.
TEST_F(UseActionsTest, NoSaveReplacesAFileOfTheRoll) {
  Open();
  Search(QStringLiteral("Abbott"));
  const QString line = QString::fromStdString(roll.dataDir + "mroll.ext");
  const QString marker = QString::fromStdString(roll.dataDir + "mrdb.id");
  const std::string lineBytes = FileBytes(line);
  const QString readFrom = QStringLiteral("It is %1, a file the roll is read from.");
  EXPECT_FALSE(WriteExport(view, line, ExportFormat::kCsv));
  EXPECT_FALSE(SaveBytes(marker, "0 HEAD\n", ViewInputs(view)));
  std::vector<std::string> expected = {
      SaveFailedText(line, readFrom.arg(QDir::toNativeSeparators(line))).toStdString(),
      SaveFailedText(marker, readFrom.arg(QDir::toNativeSeparators(marker))).toStdString()};
#ifndef _WIN32
  const QString linked = Path("linked.ged");
  ASSERT_EQ(link(line.toStdString().c_str(), linked.toStdString().c_str()), 0);
  EXPECT_FALSE(SaveBytes(linked, "0 HEAD\n", ViewInputs(view)));
  expected.push_back(SaveFailedText(linked, readFrom.arg(line)).toStdString());
#endif
  // Another roll's files are no place for a save either.
  TestRoll other;
  other.Add("Smith", "John");
  other.Build();
  const QString otherIndex = QString::fromStdString(other.dataDir + "mroll.tre");
  EXPECT_FALSE(SaveBytes(otherIndex, "x", ViewInputs(view)));
  expected.push_back(SaveFailedText(otherIndex, QStringLiteral("It is %1, a file of a roll database.")
                                                    .arg(QDir::toNativeSeparators(otherIndex)))
                         .toStdString());
  EXPECT_EQ(boxes.Texts(), expected);
  EXPECT_EQ(FileBytes(line), lineBytes);
  EXPECT_EQ(FileBytes(marker), "");
}

#ifndef _WIN32
// Two users and a folder both may write (mode 1777, as /tmp): the other user's link there, which
// points into this user's files, is asked about before a save (even though the dialog cannot see
// through it) and no save follows it.
TEST_F(UseActionsTest, AnotherUsersLinkInASharedFolderIsAskedAboutAndNotFollowed) {
  Open();
  Search(QStringLiteral("Abbott"));
  const QString shared = Path("shared");
  ASSERT_TRUE(QDir().mkdir(shared));
  ShareAsSticky(shared.toStdString());
  const QString important = Path("important.txt");
  ASSERT_TRUE(SaveBytes(important, "mine", InputFiles()));
  const QString planted = shared + QStringLiteral("/report.csv");
  ASSERT_EQ(symlink(important.toStdString().c_str(), planted.toStdString().c_str()), 0);
  if (!GiveToAnotherUser(planted.toStdString()))
    GTEST_SKIP() << "only root can make a link of another user's";

  boxes.Answer({kIdCancel});
  EXPECT_FALSE(ConfirmReplace(planted));
  EXPECT_TRUE(ConfirmReplace(Path("nothing-there.csv")));
  const QString refused = QStringLiteral("Another user's symbolic link in a shared directory: not followed");
  EXPECT_FALSE(WriteExport(view, planted, ExportFormat::kCsv));
  EXPECT_FALSE(SaveBytes(planted, "0 HEAD\n", ViewInputs(view)));
  EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{FormatMessage(kReplaceQuestion, planted.toStdString()),
                                                     SaveFailedText(planted, refused).toStdString(),
                                                     SaveFailedText(planted, refused).toStdString()}));
#if DRAVENHOLT_CAN_PRINT
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(planted);
  boxes.Answer({kIdOk});
  EXPECT_FALSE(PrintThroughSave(&printer, ViewInputs(view), [](QPrinter* p) {
    QPainter painter(p);
    painter.drawText(100, 100, QStringLiteral("page"));
    return true;
  }));
  EXPECT_EQ(boxes.Texts().back(), SaveFailedText(planted, refused).toStdString());
#endif
  EXPECT_EQ(FileBytes(important), "mine");
  EXPECT_EQ(QDir(shared).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{QStringLiteral("report.csv")});
}

// A disk that fills up (played by a file-size limit) during an export: the user reads the
// system's words for it, not "Unknown error", and only once the progress window has closed.
TEST_F(UseActionsTest, AFailedWriteIsToldInTheSystemsWordsOnceTheProgressWindowIsGone) {
  for (int i = 0; i < 600; ++i) roll.Add("Smith", "NAME" + std::to_string(1000 + i));
  OpenWindow();
  Search(QStringLiteral("Smith"));
  bool progressShown = false;
  boxes.OnShow([&](const ScriptedMessageBox::Box&) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (qobject_cast<QProgressDialog*>(window) && window->isVisible()) progressShown = true;
    }
  });
  // The disk fills three quarters of the way through, once the progress window is up.
  const QString whole = Path("whole.csv");
  ASSERT_TRUE(WriteExport(view, whole, ExportFormat::kCsv));
  const auto room = static_cast<rlim_t>(QFileInfo(whole).size() * 3 / 4);
  ASSERT_TRUE(QFile::remove(whole));
  const QString path = Path("smith.csv");
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit small{room, limit.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = WriteExport(view, path, ExportFormat::kCsv);
  setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(written);
  EXPECT_EQ(boxes.Texts(),
            std::vector<std::string>{
                SaveFailedText(path, QString::fromLocal8Bit(std::strerror(EFBIG))).toStdString()});
  EXPECT_FALSE(progressShown) << "the box came over the progress window";
  EXPECT_EQ(
      QDir(files.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden),
      QStringList());
}
#endif

#if DRAVENHOLT_CAN_PRINT
TEST_F(UseActionsTest, PrintWritesEveryRowOnNumberedPages) {
  for (int i = 0; i < 120; ++i) roll.Add("Smith", "NAME" + std::to_string(1000 + i), SampleFields("C"));
  OpenWindow();
  Search(QStringLiteral("Smith"));
  const QString pdf = Path("smith.pdf");
  QPrinter* printer = frame->Uses()->Printer();
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(pdf);
  if (kPrintDialogPrintsToFiles) {
    OnNextModal([](QWidget* modal) {
      auto* dialog = qobject_cast<QPrintDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      static_cast<QDialog*>(dialog)->accept();
    });
  } else {
    SaveAs(pdf);  // no printer is installed: the file is asked for in place of the print dialog
  }
  Key(Qt::Key_P, Qt::ControlModifier);
  std::vector<std::string> texts{"Search: SMITH", "120 records found.", "5th Illinois Infantry (Union)",
                                 "Page 1 of ", "Page 2 of "};  // 120 rows do not fit one page
  for (int i = 0; i < 120; ++i) texts.push_back("SMITH, NAME" + std::to_string(1000 + i));
  if (ExpectPdfHolds(pdf, QStringLiteral("smith-list"), texts) == PdfCheck::kNoReader) {
    GTEST_SKIP() << "pdftotext is not installed (Debian package poppler-utils), and no DRAVENHOLT_PRINTED_DIR "
                    "takes the PDF to where it is";
  }
}

TEST_F(UseActionsTest, PrintedColumnsAreSizedToWhatTheyHold) {
  const std::string pdftotext = FindProgram("pdftotext");
  if (pdftotext.empty()) GTEST_SKIP() << "pdftotext is not installed (Debian package poppler-utils)";
  std::vector<std::string> fields = {
      "L", "K", "25 BTRY OH LT ART", "2D LIEUT", "1ST LIEUT", "", "1500", "3456", "78901", "U"};
  roll.Add("Featherstonehaugh", "BARTHOLOMEW ALEXANDER", fields);
  OpenWindow();
  Search(QStringLiteral("Featherstonehaugh"));
  const QString pdf = Path("one.pdf");
  QPrinter* printer = frame->Uses()->Printer();
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(pdf);
  OnNextModal([](QWidget* modal) { static_cast<QDialog*>(qobject_cast<QPrintDialog*>(modal))->accept(); });
  Key(Qt::Key_P, Qt::ControlModifier);
  int status = 0;
  const std::string text = RunProgram(pdftotext, {"-layout", pdf.toStdString(), "-"}, {}, &status);
  ASSERT_EQ(status, 0) << text;
  // The ranks and the microfilm reference each on one line, with room before the next column.
  const SoldierEntry entry =
      EntryFromRoll("FEATHERSTONEHAUGH", "BARTHOLOMEW ALEXANDER", {fields.begin(), fields.end()});
  EXPECT_NE(text.find(MicrofilmReference(entry)), std::string::npos) << text;
  EXPECT_NE(text.find("2D LIEUT "), std::string::npos) << text;
  EXPECT_NE(text.find("1ST LIEUT "), std::string::npos) << text;

  // Narrow columns get what they need; wide ones share the rest; room to spare is shared.
  const std::vector<bool> wraps = {true, true, false, false, false, false};
  const std::vector<qreal> widths = FitColumnWidths({300, 700, 20, 90, 90, 260}, wraps, 1000, 10);
  EXPECT_EQ(widths[2], 20);
  EXPECT_EQ(widths[3], 90);
  EXPECT_EQ(widths[5], 260);
  EXPECT_NEAR(widths[0] + widths[1], 1000 - 50 - 460, 1e-9);
  EXPECT_NEAR(widths[1] / widths[0], 7.0 / 3.0, 1e-9);
  const std::vector<qreal> roomy = FitColumnWidths({100, 100}, {true, false}, 410, 10);
  EXPECT_EQ(roomy, (std::vector<qreal>{200, 200}));
}
#endif

}  // namespace
