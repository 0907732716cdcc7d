#include "platform/profile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "support/scoped_env.h"
#include "support/scoped_temp_dir.h"

namespace {

std::string Lookup(const std::string& text, const char* section, const char* key, std::size_t size = 260) {
  std::vector<char> out(size);
  ParseProfileString(text, section, key, "<none>", out.data(), size);
  return out.data();
}

}  // namespace

TEST(Profile, ReadsTheWayTheFamilyWritesIt) {
  const std::string ini =
      "; family settings\r\n"
      "[Other]\r\n"
      "MRPath=/wrong\r\n"
      "  [ kinloom7M ]  \r\n"
      "  mrpath =  \"/media/disk 3/\"  \r\n"
      "KinloomDir='/opt/kinloom'\n"
      "MRPath=/second\n"
      "Broken line without equals\n"
      "Empty=\n";
  EXPECT_EQ(Lookup(ini, "Kinloom7m", "MRPath"), "/media/disk 3/");
  EXPECT_EQ(Lookup(ini, "KINLOOM7M", "kinloomdir"), "/opt/kinloom");
  EXPECT_EQ(Lookup(ini, "Kinloom7m", "Empty"), "");
  EXPECT_EQ(Lookup(ini, "Kinloom7m", "Missing"), "<none>");
  EXPECT_EQ(Lookup(ini, "Absent", "MRPath"), "<none>");
  EXPECT_EQ(Lookup("", "Kinloom7m", "MRPath"), "<none>");
  EXPECT_EQ(Lookup("[Kinloom7m]\n;MRPath=/commented\n", "Kinloom7m", "MRPath"), "<none>");
}

TEST(Profile, TakesAtMostTheBufferLessOne) {
  const std::string longValue(400, 'x');
  EXPECT_EQ(Lookup("[S]\nK=" + longValue, "S", "K", 260), std::string(259, 'x'));
  EXPECT_EQ(Lookup("[S]\nK=abc", "S", "K", 1), "");
}

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
