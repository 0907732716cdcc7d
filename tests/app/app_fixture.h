// Start-up over a test database: brevik.ini written for it and found through $BREVIK_INI, a
// private runtime directory for the single-instance lock.
#pragma once

#include <fstream>
#include <string>

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "support/test_roll.h"
#include "viewer_fixture.h"

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const QByteArray& value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    qputenv(name, value);
  }
  ~ScopedEnv() {
    if (had_) {
      qputenv(name_, old_);
    } else {
      qunsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

class StartUpEnvironment {
 public:
  StartUpEnvironment()
      : ini_(roll.familyDir + "brevik.ini"),
        iniEnv_("BREVIK_INI", QByteArray::fromStdString(ini_)),
        runtimeEnv_("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit()),
        configEnv_("XDG_CONFIG_HOME", config_.path().toLocal8Bit()) {
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
  ScopedEnv iniEnv_;
  ScopedEnv runtimeEnv_;
  ScopedEnv configEnv_;
};
