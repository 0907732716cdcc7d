// Start-up over a test database: brevik.ini written for it and found through $BREVIK_INI, a
// private runtime directory for the single-instance lock, a private configuration directory for
// the viewer's own settings.
#pragma once

#include <fstream>
#include <string>

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "support/environment.h"
#include "support/scoped_env.h"
#include "support/test_roll.h"
#include "viewer_fixture.h"

class StartUpEnvironment {
 public:
  StartUpEnvironment() : ini_(roll.familyDir + "brevik.ini") {
    env_.Set("BREVIK_INI", ini_.c_str());
    env_.Set("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit().constData());
    env_.Set(kUserSettingsVariable, config_.path().toUtf8().constData());
    AddStandardEntries(&roll);
    roll.Build();
    std::ofstream(ini_) << "[Kinloom7m]\nKinloomDir=" << roll.familyDir << "\nMRPath=" << roll.dataDir
                        << "\n";
  }

  QString RuntimeDir() const { return runtime_.path(); }
  // The viewer's own settings are read and written under here.
  QString ConfigDir() const { return config_.path(); }
  const std::string& IniPath() const { return ini_; }

  TestRoll roll;

 private:
  QTemporaryDir runtime_;
  QTemporaryDir config_;
  std::string ini_;
  ScopedEnv env_;
};
