// The viewer's own settings file: where it is, what is read from it, and what stands in its place.
#include "app/viewer_settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/file_system.h"
#include "support/environment.h"
#include "support/scoped_env.h"

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

}  // namespace
