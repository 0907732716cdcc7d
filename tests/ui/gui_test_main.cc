// The main of every GUI test binary: one QApplication for all tests, on the offscreen platform
// unless another is asked for. The viewer records its searches in the user's data directory and
// builds the roll's companion index in the user's cache: the tests give it a data directory and a
// cache of their own, removed when they end, so no run leaves a log or an index behind.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "support/environment.h"

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir data;
  if (data.isValid()) SetEnvironment(kUserDataVariable, data.path().toUtf8().constData());
  QTemporaryDir cache;
  if (cache.isValid()) SetEnvironment(kUserCacheVariable, cache.path().toUtf8().constData());
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
