// Where brevik.ini is looked for on POSIX systems.
#include <gtest/gtest.h>

#include <string>

#include "platform/profile.h"
#include "support/scoped_env.h"
#include "support/scoped_temp_dir.h"

TEST(Profile, FindsTheFileInTheXdgOrder) {
  ScopedTempDir home, dirs1, dirs2;
  ScopedEnv env;
  env.Set("BREVIK_INI", nullptr);
  env.Set("XDG_CONFIG_HOME", home.Prefix().c_str());
  env.Set("XDG_CONFIG_DIRS", (dirs1.Prefix() + ":" + dirs2.Prefix()).c_str());

  EXPECT_EQ(FindProfilePath(), "");
  WriteFileBytes(dirs2.File("brevik.ini"), "[Kinloom7m]\nMRPath=/two\n");
  EXPECT_EQ(FindProfilePath(), dirs2.File("brevik.ini"));
  WriteFileBytes(dirs1.File("brevik.ini"), "[Kinloom7m]\nMRPath=/one\n");
  EXPECT_EQ(FindProfilePath(), dirs1.File("brevik.ini"));
  WriteFileBytes(home.File("brevik.ini"), "[Kinloom7m]\nMRPath=/home\n");
  EXPECT_EQ(FindProfilePath(), home.File("brevik.ini"));

  char out[260];
  ReadProfileString("Kinloom7m", "MRPath", "", out, sizeof out);
  EXPECT_STREQ(out, "/home");

  // An explicit file wins, even when it does not exist.
  env.Set("BREVIK_INI", "/nonexistent/brevik.ini");
  EXPECT_EQ(FindProfilePath(), "/nonexistent/brevik.ini");
  ReadProfileString("Kinloom7m", "MRPath", "", out, sizeof out);
  EXPECT_STREQ(out, "");
}
