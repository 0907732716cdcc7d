// The single-instance lock's fallback directory on POSIX: private to this user, or not used.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/qt/single_instance.h"

namespace {
constexpr char kLockName[] = "PreventAnotherDravenholt";
}  // namespace

// With no runtime directory, the private one under the temporary directory is used only when it is
// this user's and nobody else may enter it; otherwise the copy runs without the one-copy check.
TEST(SingleInstanceTest, AFallbackDirectoryOfAnotherUserIsNotUsed) {
  const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
  const QByteArray savedTmp = qgetenv("TMPDIR");
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  qunsetenv("XDG_RUNTIME_DIR");
  qputenv("TMPDIR", tmp.path().toLocal8Bit());
  const QString own = tmp.path() + QStringLiteral("/dravenholt-%1").arg(::getuid());

  EXPECT_EQ(SingleInstance::RuntimeDirectory(), own);  // made private
  struct stat st;
  ASSERT_EQ(::stat(QFile::encodeName(own).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), 0777), 0);  // opened up by someone
  EXPECT_EQ(SingleInstance::RuntimeDirectory(), QString());
  SingleInstance instance(QString::fromLatin1(kLockName));
  EXPECT_TRUE(instance.Acquire()) << "runs without the check";
  EXPECT_FALSE(instance.Listen([] {}));
  EXPECT_FALSE(QFile::exists(own + QStringLiteral("/") + kLockName + QStringLiteral(".lock")));

  ASSERT_TRUE(QDir(own).removeRecursively());
  QFile planted(own);  // a file, or a link, where the directory should be
  ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
  planted.close();
  EXPECT_EQ(SingleInstance::RuntimeDirectory(), QString());
  if (::geteuid() == 0) {  // root can make the directory another user's
    ASSERT_TRUE(QFile::remove(own));
    ASSERT_EQ(::mkdir(QFile::encodeName(own).constData(), 0700), 0);
    ASSERT_EQ(::chown(QFile::encodeName(own).constData(), 65534, 65534), 0);
    EXPECT_EQ(SingleInstance::RuntimeDirectory(), QString());
  }
  qputenv("XDG_RUNTIME_DIR", savedRuntime);
  if (savedTmp.isEmpty()) qunsetenv("TMPDIR"); else qputenv("TMPDIR", savedTmp);
}
