// One copy per session: a second copy raises the first and ends with 0, no window, no message.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "app/main_frame.h"
#include "app/view_app.h"
#include "app_fixture.h"
#include "platform/qt/single_instance.h"

namespace {

constexpr char kLockName[] = "PreventAnotherDravenholt";

QProcess* StartViewer(QObject* owner) {
  auto* process = new QProcess(owner);
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  process->setProcessEnvironment(environment);
  process->start(QStringLiteral(DRAVENHOLT_EXECUTABLE), {});
  return process;
}

TEST(SingleInstanceTest, ASecondProcessRaisesTheFirstAndEndsQuietly) {
  StartUpEnvironment env;  // $XDG_RUNTIME_DIR and $BREVIK_INI, inherited by the children
  QObject owner;
  QProcess* first = StartViewer(&owner);
  ASSERT_TRUE(first->waitForStarted(10000));
  const SingleInstance probe(QString::fromLatin1(kLockName));
  // The first copy answers once its window is up.
  ASSERT_TRUE(QTest::qWaitFor([&] { return probe.ServerPresent(); }, 20000))
      << "the first copy never listened";

  QProcess* second = StartViewer(&owner);
  ASSERT_TRUE(second->waitForFinished(20000));
  EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second->exitCode(), 0);
  EXPECT_TRUE(second->readAllStandardOutput().isEmpty());
  EXPECT_EQ(first->state(), QProcess::Running);

  // The running copy answers a raise request.
  EXPECT_TRUE(probe.RaiseRunningCopy(5000));

  first->kill();
  first->waitForFinished(10000);
}

TEST(SingleInstanceTest, ALockWithNobodyAnsweringEndsTheNewCopyQuietly) {
  StartUpEnvironment env;
  SingleInstance holder(QString::fromLatin1(kLockName));
  ASSERT_TRUE(holder.Acquire());  // "still starting": lock taken, nothing listening

  SingleInstance second(QString::fromLatin1(kLockName));
  EXPECT_FALSE(second.Acquire());
  EXPECT_FALSE(second.RaiseRunningCopy(200));

  QObject owner;
  QProcess* viewer = StartViewer(&owner);
  ASSERT_TRUE(viewer->waitForFinished(20000));
  EXPECT_EQ(viewer->exitCode(), 0);
  EXPECT_FALSE(holder.ServerPresent());
}

// A copy that ended without unlocking left its lock; when the system gives its process number to
// the next copy (wine does so at once), the lock names that copy itself and must not stop it.
TEST(SingleInstanceTest, ALeftLockNamingThisVeryProcessIsTakenOver) {
  StartUpEnvironment env;
  QByteArray leftBehind;
  QString lockPath;
  {
    SingleInstance earlier(QString::fromLatin1(kLockName));
    ASSERT_TRUE(earlier.Acquire());
    const QStringList locks = QDir(env.RuntimeDir()).entryList({QString::fromLatin1(kLockName) + QStringLiteral("*")});
    ASSERT_EQ(locks.size(), 1) << locks.join(QStringLiteral(", ")).toStdString();
    lockPath = env.RuntimeDir() + QStringLiteral("/") + locks.front();
    QFile file(lockPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    leftBehind = file.readAll();
  }
  QFile file(lockPath);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(leftBehind);
  file.close();

  SingleInstance next(QString::fromLatin1(kLockName));
  EXPECT_TRUE(next.Acquire());
}

TEST(SingleInstanceTest, RaisingRestoresTheWindowAndPutsItsDialogOnTop) {
  StartUpEnvironment env;
  CViewApp app;
  ASSERT_EQ(app.InitInstance(), 1);
  CMainFrame* frame = app.MainWindow();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));

  frame->showMinimized();
  EXPECT_SOON(frame->isMinimized());
  frame->RaiseWithPopup();
  EXPECT_SOON(!frame->isMinimized());
  EXPECT_TRUE(frame->isVisible());

  QWidget* raisedPopup = nullptr;
  QDialog dialog(frame);
  OnNextModal([&](QWidget* modal) {
    frame->RaiseWithPopup();
    raisedPopup = QApplication::activeModalWidget();
    EXPECT_SOON(QApplication::activeWindow() == modal);
    static_cast<QDialog*>(modal)->accept();
  });
  dialog.exec();
  EXPECT_EQ(raisedPopup, &dialog);
  app.ExitInstance();
}

}  // namespace
