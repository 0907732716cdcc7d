// The search window read through the accessibility bus, as a screen reader reads it. A reader
// (atspi_reader.py) started by the test reads, while the window answers: the count line, the
// buttons' names, the row Down selects (the focus stays in the Surname box), and the text of
// More Info. run_atspi.sh gives it an X display and a session bus; without them it skips, saying
// why.
#include <QApplication>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>

#include "viewer_fixture.h"

namespace {

// Long enough for a slow machine; the reading itself takes well under a second.
constexpr int kReaderTimeoutMs = 90000;

class ScreenReader : public ViewerTest {};

TEST_F(ScreenReader, HearsTheCountTheButtonsTheSelectedRowAndTheDetails) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) {
    GTEST_SKIP() << "needs an X display and the accessibility bus: run through run_atspi.sh";
  }
  AddStandardEntries(&roll);
  OpenWindow();
  Search(QStringLiteral("Abbott"));
  ASSERT_EQ(view->CountLine(), QStringLiteral("23 records found."));
  ASSERT_EQ(Focus(), view->NameField(0));

  QProcess reader;
  reader.setProgram(qEnvironmentVariable("DRAVENHOLT_ATSPI_PYTHON", QStringLiteral("/usr/bin/python3")));
  reader.setArguments({QStringLiteral(ATSPI_READER_SCRIPT)});
  reader.start();
  ASSERT_TRUE(reader.waitForStarted());
  // The window answers the reader's questions while the test waits.
  ASSERT_TRUE(QTest::qWaitFor([&] { return reader.state() == QProcess::NotRunning; }, kReaderTimeoutMs))
      << "the reader did not finish";
  const QByteArray out = reader.readAllStandardOutput();
  const QByteArray err = reader.readAllStandardError();
  const QJsonObject read = QJsonDocument::fromJson(out).object();
  if (reader.exitCode() == 77) GTEST_SKIP() << read.value(QStringLiteral("skip")).toString().toStdString();
  ASSERT_EQ(reader.exitCode(), 0) << out.toStdString() << err.toStdString();

  EXPECT_EQ(read[QStringLiteral("countLine")].toString(), QStringLiteral("23 records found."));
  QStringList buttons;
  for (const QJsonValue& name : read[QStringLiteral("buttons")].toArray()) buttons << name.toString();
  for (const char* name : {"&Search", "&Clear", "More Info", "Previous page", "Next page"}) {
    // A button's name is its caption without the mnemonic's ampersand.
    EXPECT_TRUE(buttons.contains(QString::fromLatin1(name).remove(QLatin1Char('&'))))
        << name << " in " << buttons.join(", ").toStdString();
  }
  EXPECT_TRUE(read[QStringLiteral("surnameFocused")].toBool());

  // Nothing selected at first; Down selects the first row, Down again the second, and the box the
  // focus stays in says so each time.
  auto row = [&](int r) {
    return view->FieldText(r, 0) + QStringLiteral(", ") + view->FieldText(r, 1) + QStringLiteral(", ") +
           view->FieldText(r, 2);
  };
  EXPECT_EQ(read[QStringLiteral("descriptionBefore")].toString(), QString());
  EXPECT_EQ(read[QStringLiteral("afterDown")].toString(), QStringLiteral("Entry 1 of 23: ") + row(0));
  EXPECT_EQ(read[QStringLiteral("afterSecondDown")].toString(), QStringLiteral("Entry 2 of 23: ") + row(1));
  EXPECT_EQ(view->SelectedRow(), 1);

  // More Info on the second row, read by the name of its text.
  std::string caption, body;
  ASSERT_TRUE(view->Screen().MoreInfo(&caption, &body));
  EXPECT_EQ(read[QStringLiteral("detailsWindow")].toString(), QString::fromLatin1(caption.c_str()));
  EXPECT_EQ(read[QStringLiteral("details")].toString(),
            QString::fromLatin1(body.c_str()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  EXPECT_SOON(QApplication::activeModalWidget() == nullptr);
  CloseWindow();
}

}  // namespace
