// The viewer's own settings file: where it is, what is read from it, and what stands in its place
// (a link, another user's file, one others may write: neither read nor written, and told once).
#include "app/viewer_settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/file_system.h"
#include "support/environment.h"
#include "support/scoped_env.h"
#include "support/scripted_message_box.h"
#include "support/unprivileged.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

class ViewerSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env.Set(kUserSettingsVariable, QDir::toNativeSeparators(config.path()).toUtf8().constData());
    ASSERT_TRUE(QDir().mkpath(config.path() + QStringLiteral("/dravenholt")));
  }
  QString Path() const { return config.path() + QStringLiteral("/dravenholt/dravenholt.conf"); }
  void Write(const QByteArray& bytes) const {
    QFile file(Path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
  }
  FileKind Kind() const { return KindOfPath(Path().toStdString()); }

  QTemporaryDir config;
  ScopedEnv env;
};

TEST_F(ViewerSettingsTest, TheChosenZoomIsWrittenAndReadBack) {
  EXPECT_EQ(QDir::fromNativeSeparators(ViewerSettingsPath()), Path());
  EXPECT_EQ(RememberedZoom(), std::nullopt);
  EXPECT_EQ(Kind(), FileKind::kMissing) << "reading writes nothing";
  RememberZoom(1.5);
  EXPECT_EQ(RememberedZoom(), 1.5);

  // What is not a positive number is no zoom. (Each text differs in length from the one before:
  // QSettings tells a changed file by its size and time, and two writes may share a time.)
  for (const char* text :
       {"[View]\nZoom=abcd\n", "[View]\nZoom=-2\n", "[View]\nZoom=0\n", "\xff\xfe\x00garbage"}) {
    Write(QByteArray(text));
    EXPECT_EQ(RememberedZoom(), std::nullopt) << text;
  }
}

TEST_F(ViewerSettingsTest, AnythingButAModestRegularFileIsNeitherReadNorWritten) {
  // A FIFO without a writer would block an ordinary open for ever.
  if (MakeFifo(Path().toStdString())) {  // POSIX only
    EXPECT_EQ(RememberedZoom(), std::nullopt);
    RememberZoom(2);
    EXPECT_EQ(Kind(), FileKind::kFifo);
    QFile::remove(Path());
  }

  ASSERT_TRUE(QDir().mkdir(Path()));
  EXPECT_EQ(RememberedZoom(), std::nullopt);
  RememberZoom(2);
  EXPECT_EQ(Kind(), FileKind::kDirectory);
  QDir(Path()).removeRecursively();

  // A huge file is not read, even when it starts like a setting.
  Write("[View]\nZoom=2\n" + QByteArray(kViewerSettingsMaxSize, '#'));
  EXPECT_EQ(RememberedZoom(), std::nullopt);
  Write("[View]\nZoom=2\n");
  EXPECT_EQ(RememberedZoom(), 2);
}

#ifndef _WIN32
// A link in the file's place is never written through (notes.txt once became "[View] Zoom=1.25")
// nor read; nor is a file others may write, or another user's. The user is told once.
TEST_F(ViewerSettingsTest, OnlyAFileOfTheUsersOwnIsReadOrWritten) {
  ScriptedMessageBox boxes;
  const QString notes = config.path() + QStringLiteral("/notes.txt");
  {
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[View]\nZoom=2\n");
  }
  ASSERT_EQ(symlink(notes.toStdString().c_str(), Path().toStdString().c_str()), 0);
  EXPECT_EQ(RememberedZoom(), std::nullopt);
  RememberZoom(1.25);
  RememberDataPlace(QStringLiteral("/media/disk"));
  EXPECT_EQ(RememberedDataPlace(), QString());
  QFile file(notes);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("[View]\nZoom=2\n"));
  const std::string told =
      Path().toStdString() +
      " is a symbolic link, not a file of this program: it was left alone.\n\nThe viewer's "
      "settings are not read from it, and what you change is not kept.";
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{told}) << "told once";
  ASSERT_TRUE(QFile::remove(Path()));

  Write("[View]\nZoom=2\n");
  ASSERT_EQ(chmod(Path().toStdString().c_str(), 0664), 0);
  EXPECT_EQ(RememberedZoom(), std::nullopt);
  RememberZoom(3);
  ASSERT_EQ(chmod(Path().toStdString().c_str(), 0644), 0);
  EXPECT_EQ(RememberedZoom(), 2) << "the file others could write was not written";
  if (GiveToAnotherUser(Path().toStdString())) {
    EXPECT_EQ(RememberedZoom(), std::nullopt);
    EXPECT_EQ(boxes.Texts().back(),
              Path().toStdString() +
                  " is another user's file, not a file of this program: it was left alone.\n\n"
                  "The viewer's settings are not read from it, and what you change is not kept.");
  }
  ASSERT_EQ(boxes.Texts().at(1),
            Path().toStdString() +
                " is a file others may write, not a file of this program: it was left alone.\n\n"
                "The viewer's settings are not read from it, and what you change is not kept.");

  // What the viewer writes itself is its own, whatever the user's file-creation mask.
  ASSERT_TRUE(QFile::remove(Path()));
  const mode_t mask = umask(0002);
  RememberZoom(1.5);
  umask(mask);
  struct stat st;
  ASSERT_EQ(stat(Path().toStdString().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 022, 0u);
  EXPECT_EQ(RememberedZoom(), 1.5);
}
#endif

}  // namespace
