// The installed manual must keep up with the program: every subcommand and option that
// `rollkit --help` names is documented in rollkit(1).
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "support/rollkit_runner.h"

namespace {

std::set<std::string> Matches(const std::string& text, const std::regex& pattern) {
  std::set<std::string> out;
  for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) out.insert((*it)[1]);
  return out;
}

}  // namespace

TEST(Manual, DocumentsEverySubcommandAndOption) {
  const std::string manual = ReadFileBytes(ROLLKIT_MANUAL);
  ASSERT_FALSE(manual.empty()) << ROLLKIT_MANUAL;

  const RunResult top = RunRollkit({"--help"});
  ASSERT_EQ(top.exitCode, 0);
  const std::set<std::string> commands = Matches(top.out, std::regex(R"(\n  ([a-z]+) {2,})"));
  ASSERT_GE(commands.size(), 6u) << top.out;
  for (const std::string& command : commands) {
    EXPECT_NE(manual.find(".B rollkit " + command), std::string::npos) << command << " missing in the synopsis";
    EXPECT_NE(manual.find(".B " + command + "\n"), std::string::npos) << command << " missing under COMMANDS";
    const RunResult help = RunRollkit({command, "--help"});
    for (const std::string& option : Matches(help.out, std::regex(R"(--([a-z-]+))"))) {
      if (option == "help") continue;
      std::string escaped;
      for (char c : option) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
      EXPECT_NE(manual.find("\\-\\-" + escaped), std::string::npos) << command << " --" << option;
    }
  }
}
