#include "platform/profile.h"

#include <gtest/gtest.h>

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
