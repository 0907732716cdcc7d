// Finding the roll without a configuration that names it: mounted media, the place chosen with
// Browse… and remembered, the prompt that says where the viewer looked; and the viewer reading
// a roll straight out of a disk image as it reads the unpacked files.
#include "app/disk_prompt.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTextBoundaryFinder>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/main_frame.h"
#include "app/view_app.h"
#include "app/viewer_settings.h"
#include "app_fixture.h"
#include "platform/message_box.h"
#include "platform/qt/single_instance.h"
#include "support/roll_image.h"
#include "support/scoped_env.h"

namespace {

void MakeDir(const std::string& path) {
  std::error_code ignored;
  std::filesystem::create_directory(std::filesystem::u8path(path), ignored);
}

// A fake system root with the mount directories of user "anna", and a private settings file.
class DiskPromptTest : public ::testing::Test {
 protected:
  DiskPromptTest() {
    env.Set("DRAVENHOLT_MEDIA_ROOT", Root().c_str());
    env.Set("USER", "anna");
    env.Set("USERNAME", "anna");  // the name Windows gives
    env.Set("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData());
    env.Set("BREVIK_INI", (Root() + "/no-brevik.ini").c_str());
    for (const char* dir : {"/media", "/media/anna", "/mnt", "/mnt/cdrom"})
      MakeDir(Root() + dir);
    AddStandardEntries(&roll);
    roll.Build();
    WriteRollIso(roll.dataDir, Root() + "/roll.iso");
  }
  ~DiskPromptTest() override { InstallMessageBoxHandler(nullptr); }

  std::string Root() const { return media.path().toStdString(); }
  // The roll copied onto a "mounted disk" under upper-case names.
  std::string Mount(const std::string& where) {
    const std::string dir = Root() + where;
    MakeDir(dir);
    for (const char* name : kRollFileNames) {
      std::string upper = name;
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      WriteFileBytes(dir + "/" + upper, ReadFileBytes(roll.dataDir + name));
    }
    return dir + "/";
  }

  QTemporaryDir media;
  QTemporaryDir config;
  ScopedEnv env;
  TestRoll roll;
};

// The rows of a search typed into the running viewer's fields.
std::vector<std::string> SearchRows(CViewApp& app, const QString& surname) {
  CHistView* view = app.MainWindow()->View();
  view->NameField(0)->clear();
  TypeText(view->NameField(0), surname);
  QTest::keyClick(view->NameField(0), Qt::Key_Return);
  std::vector<std::string> rows;
  for (int i = 0; i < 10 && view->RowText(i)[0] != '\0'; ++i) rows.emplace_back(view->RowText(i));
  return rows;
}

}  // namespace

#ifndef _WIN32  // the fake root below is laid out, and its places named, as POSIX mounts them
TEST_F(DiskPromptTest, TheRollIsFoundOnMediaUnlessTheIniNamesItThenInTheRememberedPlace) {
  DataLocation location;
  location.SetDirectories(roll.familyDir.c_str(), "");
  DiskFinder finder(location);
  const std::string disk = Mount("/media/anna/DISK3");
  ASSERT_TRUE(finder.Locate());
  EXPECT_STREQ(location.dataDirectory, disk.c_str());

  // A configured directory that holds the roll wins over the media.
  DataLocation configured;
  configured.SetDirectories(roll.familyDir.c_str(), roll.dataDir.c_str());
  DiskFinder iniFirst(configured);
  ASSERT_TRUE(iniFirst.Locate());
  EXPECT_EQ(configured.dataDirectory, roll.dataDir);

  // Without the disk, the place chosen last time; without that, nothing, and the places looked.
  std::remove((disk + "MRDB.ID").c_str());
  RememberDataPlace(QString::fromStdString(Root() + "/roll.iso"));
  ASSERT_TRUE(finder.Locate());
  EXPECT_EQ(location.dataDirectory, Root() + "/roll.iso/");
  RememberDataPlace(QString());
  DataLocation nowhere;
  nowhere.SetDirectories(roll.familyDir.c_str(), "");
  DiskFinder lost(nowhere);
  EXPECT_FALSE(lost.Locate());
  EXPECT_EQ(nowhere.dataDirectory, std::string("/"));
  EXPECT_EQ(lost.LookedIn().toStdString(), "Looked in: " + Root() + "/media/anna/DISK3, " + Root() +
                                               "/media/anna, " + Root() + "/mnt/cdrom");
}

// The pieces of `shown` between its line break opportunities, each as a reader reads it.
static QStringList LinePieces(const QString& shown) {
  QStringList pieces;
  QTextBoundaryFinder finder(QTextBoundaryFinder::Line, shown);
  qsizetype last = 0;
  while (finder.toNextBoundary() != -1) {
    QString piece = shown.mid(last, finder.position() - last);
    piece.remove(QChar(0x2060)).remove(QChar(0x200B));
    piece.replace(QChar(0x00A0), QLatin1Char(' ')).replace(QChar(0x2011), QLatin1Char('-'));
    if (!piece.isEmpty()) pieces << piece;
    last = finder.position();
  }
  return pieces;
}

TEST_F(DiskPromptTest, ThePromptKeepsItsTextGainsBrowseAndRemembersAChoiceThatHoldsTheRoll) {
  DataLocation location;
  location.SetDirectories(roll.familyDir.c_str(), (Root() + "/gone").c_str());
  DiskFinder finder(location);
  int chooserCalls = 0;
  finder.SetChooser([&](QWidget*) {
    // The first choice holds no roll: the prompt comes back, and Browse… is pressed again.
    if (++chooserCalls == 1) {
      OnNextModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        box->buttons().back()->click();
      });
      return QString::fromStdString(Root() + "/mnt");
    }
    return QString::fromStdString(Root() + "/roll.iso");
  });
  QString text, informative, title;
  QStringList buttons;
  OnNextModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    informative = box->informativeText();
    for (QAbstractButton* b : box->buttons()) buttons << b->text();
    const QString shot = qEnvironmentVariable("DRAVENHOLT_SCREENSHOT");
    if (!shot.isEmpty())
      box->grab().save((shot.endsWith(QLatin1String(".png")) ? shot.chopped(4) : shot) + "-diskprompt.png");
    for (QAbstractButton* b : box->buttons()) {
      if (b->text() == QString::fromUtf8(kBrowseButtonText)) b->click();
    }
  });
  EXPECT_EQ(finder.Prompt(), kIdOk);
  EXPECT_EQ(chooserCalls, 2);
  EXPECT_EQ(title, QStringLiteral("Dravenholt"));
  EXPECT_EQ(text, QStringLiteral("Please insert Kinloom Disk 3(Dravenholt)\n\nClick OK when done."));
  // A line of the box may break between two places, never inside one.
  EXPECT_EQ(LinePieces(informative),
            (QStringList{"Looked ", "in: ", QString::fromStdString(Root() + "/gone, "),
                         QString::fromStdString(Root() + "/media/anna, "),
                         QString::fromStdString(Root() + "/mnt/cdrom")}));
  buttons.sort();
  EXPECT_EQ(buttons.join(QLatin1Char('|')).toStdString(), "Browse\u2026|Cancel|OK");
  EXPECT_EQ(location.dataDirectory, Root() + "/roll.iso/");
  EXPECT_EQ(RememberedDataPlace().toStdString(), Root() + "/roll.iso");

  // Cancel leaves everything as it was.
  DataLocation other;
  other.SetDirectories(roll.familyDir.c_str(), (Root() + "/gone").c_str());
  RememberDataPlace(QString());
  DiskFinder cancelled(other);
  OnNextModal([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->reject(); });
  EXPECT_EQ(cancelled.Prompt(), kIdCancel);
  EXPECT_EQ(other.dataDirectory, Root() + "/gone/");
}

#endif

TEST_F(DiskPromptTest, WithNoIniTheViewerReadsTheRollOutOfAnImageAsFromTheUnpackedFiles) {
  std::vector<std::string> unpacked;
  {
    StartUpEnvironment configured;
    CViewApp app;
    ASSERT_EQ(app.InitInstance(), 1);
    unpacked = SearchRows(app, QStringLiteral("Abbott"));
    app.ExitInstance();
  }
  ASSERT_EQ(unpacked.size(), 10u);

  // No INI, nothing mounted: the search asks for the disk, and Browse… points at the image.
  CViewApp app;
  ASSERT_EQ(app.InitInstance(), 1);
  app.Finder()->SetChooser([&](QWidget*) { return QString::fromStdString(Root() + "/roll.iso"); });
  OnNextModal([](QWidget* modal) {
    for (QAbstractButton* b : qobject_cast<QMessageBox*>(modal)->buttons()) {
      if (b->text() == QString::fromUtf8(kBrowseButtonText)) b->click();
    }
  });
  EXPECT_EQ(SearchRows(app, QStringLiteral("Abbott")), unpacked);
  EXPECT_EQ(RememberedDataPlace().toStdString(), Root() + "/roll.iso");
  app.ExitInstance();
}

#ifndef _WIN32  // a line break in a folder's name
// Thousands of folders under the mount places: the prompt names ten, each on one line, counts
// the rest, and keeps its buttons on the screen.
TEST_F(DiskPromptTest, ThePlacesLookedInAreBoundedSoTheBoxFitsTheScreen) {
  for (int i = 0; i < 4000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/mnt/d%04d", i);
    MakeDir(Root() + name);
  }
  MakeDir(Root() + "/mnt/a\nlabel");  // a disk label with a line break in it
  DataLocation location;
  location.SetDirectories(roll.familyDir.c_str(), "");
  DiskFinder finder(location);
  EXPECT_FALSE(finder.Locate());
  QString expected =
      QStringLiteral("Looked in: %1/media/anna, %1/mnt/a\uFFFDlabel, %1/mnt/cdrom").arg(media.path());
  for (int i = 0; i < 7; ++i)
    expected += QStringLiteral(", %1/mnt/d%2").arg(media.path()).arg(i, 4, 10, QLatin1Char('0'));
  EXPECT_EQ(finder.LookedIn(), expected + QStringLiteral(" ... and 3,993 more"));

  int height = 0;
  QString informative;
  OnNextModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    height = box->height();
    informative = box->informativeText();
    const QString shot = qEnvironmentVariable("DRAVENHOLT_SCREENSHOT");
    if (!shot.isEmpty())
      box->grab().save((shot.endsWith(QLatin1String(".png")) ? shot.chopped(4) : shot) +
                       "-diskprompt-many.png");
    box->reject();
  });
  EXPECT_EQ(finder.Prompt(), kIdCancel);
  EXPECT_EQ(informative, finder.LookedIn(true));
  EXPECT_GT(height, 0);
  EXPECT_LT(height, QGuiApplication::primaryScreen()->availableGeometry().height());
}

#endif

// /proc/kmsg is a regular file of size 0 whose reads wait for the kernel's next message: named as
// the data directory, or remembered as the place last chosen, it is refused at once, and the
// viewer comes up (it answers a second copy only once its window is up).
TEST(DiskPromptStartUp, AKernelFileThatSaysItIsEmptyNeverHoldsUpTheStart) {
  if (access("/proc/kmsg", R_OK) != 0) GTEST_SKIP() << "/proc/kmsg cannot be read here (root only)";
  for (bool remembered : {false, true}) {
    SCOPED_TRACE(remembered ? "remembered" : "MRPath");
    StartUpEnvironment env;
    ScopedEnv media;
    media.Set("DRAVENHOLT_MEDIA_ROOT", env.ConfigDir().toLocal8Bit().constData());  // nothing mounted
    std::ofstream(env.IniPath()) << "[Kinloom7m]\nKinloomDir=" << env.roll.familyDir
                                 << "\nMRPath=" << (remembered ? env.roll.familyDir + "none" : "/proc/kmsg")
                                 << "\n";
    RememberDataPlace(remembered ? QStringLiteral("/proc/kmsg") : QString());
    QProcess viewer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    viewer.setProcessEnvironment(environment);
    viewer.start(QStringLiteral(DRAVENHOLT_EXECUTABLE), {});
    ASSERT_TRUE(viewer.waitForStarted(10000));
    const SingleInstance probe(QStringLiteral("PreventAnotherDravenholt"));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return probe.ServerPresent() || viewer.state() != QProcess::Running; }, 20000));
    EXPECT_EQ(viewer.state(), QProcess::Running);
    EXPECT_TRUE(probe.ServerPresent()) << "the viewer did not come up";
    viewer.kill();
    viewer.waitForFinished(10000);
  }
}
