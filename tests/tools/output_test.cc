// What rollkit writes: never over a file of the roll it reads or over its own input (whatever
// name reaches it, --force or not), never through another user's link in a shared directory, only
// whole (a failed run leaves the old file as it was, no temporary file and no directory it made,
// and names the file that could not be written), and into FIFOs and devices as a shell
// redirection would.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "support/rollkit_runner.h"
#include "support/unprivileged.h"

namespace {

const char* const kRow = "Smith,John,J,A,5 IL INF,PVT,PVT,,1,2,3,U\n";

class OutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    roll = BuildRoll(dir, "roll", std::string(kRollHeader) + kRow);
    for (const char* name : {"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"}) files.push_back(ReadFileBytes(roll + "/" + name));
  }

  // The roll's files are as they were, and nothing was added beside them.
  void ExpectRollUntouched() {
    EXPECT_EQ(ListDir(roll), (std::vector<std::string>{"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"}));
    int i = 0;
    for (const char* name : {"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"}) {
      EXPECT_EQ(ReadFileBytes(roll + "/" + name), files[i++]) << name;
    }
  }

  ScopedTempDir dir;
  std::string roll;
  std::vector<std::string> files;
};

TEST_F(OutputTest, DumpNeverWritesOverTheRollItReads) {
  ASSERT_EQ(link((roll + "/mroll.cor").c_str(), (dir / "hard.csv").c_str()), 0);
  ASSERT_EQ(symlink((roll + "/mroll.tre").c_str(), (dir / "soft.csv").c_str()), 0);
  struct Case {
    std::string output;
    std::string err;
  };
  const std::string role = ", a file of the roll database being dumped; nothing was written";
  const Case cases[] = {
      {roll + "/mroll.ext", roll + "/mroll.ext: is a file of the roll database being dumped; nothing was written"},
      {roll + "/./mroll.ext", roll + "/./mroll.ext: is " + roll + "/mroll.ext" + role},
      {dir / "hard.csv", dir / "hard.csv: is " + roll + "/mroll.cor" + role},
      {dir / "soft.csv", dir / "soft.csv: is " + roll + "/mroll.tre" + role},
  };
  for (const Case& c : cases) {
    const RunResult r = RunRollkit({"dump", "--data", roll, c.output});
    EXPECT_EQ(r.exitCode, 1) << c.output;
    EXPECT_EQ(r.err, RollkitLine(c.err));
  }
  // Standard output appending to the line file: refused before a byte is written.
  RunOptions appending;
  appending.output = roll + "/mroll.ext";
  appending.appendOutput = true;
  const RunResult redirected = RunRollkit({"dump", "--data", roll}, appending);
  EXPECT_EQ(redirected.exitCode, 1);
  EXPECT_EQ(redirected.err, RollkitLine("standard output: is " + roll + "/mroll.ext" + role));
  // Nor does anything that prints what it read from the roll.
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"search", "--data", roll, "smith"},
                                             {"show", "--data", roll, "smith", "0"},
                                             {"pull-list", "--data", roll, "smith"},
                                             {"keys", "--data", roll}}) {
    const RunResult printed = RunRollkit(args, appending);
    EXPECT_EQ(printed.exitCode, 1) << args[0];
    EXPECT_EQ(printed.err, RollkitLine("standard output: is " + roll +
                                       "/mroll.ext, a file of the roll being read; nothing was written"));
  }
  ExpectRollUntouched();
}

TEST_F(OutputTest, ImageNeverWritesOverTheRollItIsMadeOf) {
  for (const char* name : {"mroll.ext", "mrdb.id", "mroll.cor"}) {
    const RunResult r = RunRollkit({"image", "--force", roll, roll + "/" + name});
    EXPECT_EQ(r.exitCode, 1) << name;
    EXPECT_EQ(r.err,
              RollkitLine(roll + "/" + name + ": is a file of the roll being imaged; nothing was written"));
  }
  ExpectRollUntouched();
  EXPECT_EQ(ListDir(dir.Path()), (std::vector<std::string>{"roll", "roll.csv"}));
}

// Two users and a directory both may write (mode 1777, as /tmp): the other user's link there,
// pointing into this user's files, leads no output anywhere.
TEST_F(OutputTest, AnotherUsersLinkInASharedDirectoryIsNotFollowed) {
  ASSERT_TRUE(MakeDirectory(dir / "shared"));
  ShareAsSticky(dir / "shared");
  WriteFileBytes(dir / "important.txt", "mine");
  const std::string planted = dir / "shared/report.csv";
  ASSERT_EQ(symlink((dir / "important.txt").c_str(), planted.c_str()), 0);
  if (!GiveToAnotherUser(planted)) GTEST_SKIP() << "only root can make a link of another user's";
  const std::string refused = planted + ": another user's symbolic link in a shared directory: not followed";
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"generate", "--entries", "5", planted},
                                             {"dump", "--data", roll, planted},
                                             {"image", "--force", roll, planted}}) {
    const RunResult r = RunRollkit(args);
    EXPECT_EQ(r.exitCode, 1) << args[0];
    EXPECT_EQ(r.err, RollkitLine(refused)) << args[0];
  }
  EXPECT_EQ(ReadFileBytes(dir / "important.txt"), "mine");
  EXPECT_EQ(ListDir(dir / "shared"), std::vector<std::string>{"report.csv"});
}

TEST_F(OutputTest, NoOutputReplacesAFileOfAnyRoll) {
  const std::string other = BuildRoll(dir, "other", std::string(kRollHeader) + kRow);
  const RunResult dumped = RunRollkit({"dump", "--data", other, roll + "/mroll.ext"});
  EXPECT_EQ(dumped.exitCode, 1);
  EXPECT_EQ(dumped.err, RollkitLine(roll + "/mroll.ext: is a file of a roll database; nothing was written"));
  const RunResult generated = RunRollkit({"generate", "--entries", "5", roll + "/mroll.cor"});
  EXPECT_EQ(generated.exitCode, 1);
  EXPECT_EQ(generated.err, RollkitLine(roll + "/mroll.cor: is a file of a roll database; nothing was written"));
  // A disk mastered in upper case is found by any spelling of its names.
  std::filesystem::rename(roll + "/mroll.tre", roll + "/MROLL.TRE");
  const RunResult upper = RunRollkit({"generate", "--entries", "5", roll + "/MROLL.TRE"});
  EXPECT_EQ(upper.err, RollkitLine(roll + "/MROLL.TRE: is a file of a roll database; nothing was written"));
  std::filesystem::rename(roll + "/MROLL.TRE", roll + "/mroll.tre");
  ExpectRollUntouched();
}

TEST_F(OutputTest, BuildNeverReplacesItsOwnInput) {
  // The CSV as one of the files the build replaces, by its name, by a hard link to the other-case
  // file that build would remove, and as standard input.
  std::filesystem::copy_file(roll + "/mroll.tre", roll + "/MROLL.TRE");
  ASSERT_EQ(link((roll + "/MROLL.TRE").c_str(), (dir / "linked.csv").c_str()), 0);
  const std::string role = "a file the build would replace; nothing was written";
  const RunResult named = RunRollkit({"build", "--force", roll + "/mroll.ext", roll});
  EXPECT_EQ(named.exitCode, 1);
  EXPECT_EQ(named.err, RollkitLine(roll + "/mroll.ext: is " + role));
  const RunResult linked = RunRollkit({"build", "--force", dir / "linked.csv", roll});
  EXPECT_EQ(linked.err, RollkitLine(dir / "linked.csv: is " + roll + "/MROLL.TRE, " + role));
  RunOptions fromMarker;
  fromMarker.input = roll + "/mrdb.id";
  const RunResult piped = RunRollkit({"build", "--force", "-", roll}, fromMarker);
  EXPECT_EQ(piped.err, RollkitLine("standard input: is " + roll + "/mrdb.id, " + role));
  std::filesystem::remove(roll + "/MROLL.TRE");
  ExpectRollUntouched();

  // A CSV that merely lives in the database's directory is input like any other, and stays.
  const std::string csv = std::string(kRollHeader) + "Jones,Mary,,B,2 VA CAV,PVT,PVT,,1,2,3,C\n";
  WriteFileBytes(roll + "/input.csv", csv);
  const RunResult inside = RunRollkit({"build", "--force", roll + "/input.csv", roll});
  EXPECT_EQ(inside.exitCode, 0) << inside.err;
  EXPECT_EQ(ReadFileBytes(roll + "/input.csv"), csv);
  EXPECT_EQ(ListDir(roll), (std::vector<std::string>{"input.csv", "mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"}));
}

TEST_F(OutputTest, WhatCannotBeReplacedIsNamed) {
  std::filesystem::create_directory(dir / "db");
  std::filesystem::create_directory(dir / "db/mroll.tre");
  WriteFileBytes(dir / "in.csv", std::string(kRollHeader) + kRow);
  const RunResult blocked = RunRollkit({"build", "--force", dir / "in.csv", dir / "db"});
  EXPECT_EQ(blocked.exitCode, 1);
  EXPECT_EQ(blocked.err, RollkitLine(dir / "db/mroll.tre: a directory, which the build cannot replace"));
  EXPECT_EQ(ListDir(dir / "db"), std::vector<std::string>{"mroll.tre"});

  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  const RunResult intoFifo = RunRollkit({"build", dir / "in.csv", dir / "fifo"});
  EXPECT_EQ(intoFifo.err, RollkitLine(dir / "fifo: a FIFO, not a directory"));
  const RunResult dumpIntoDirectory = RunRollkit({"dump", "--data", roll, dir / "db"});
  EXPECT_EQ(dumpIntoDirectory.err, RollkitLine(dir / "db: a directory"));
}

// Writes go to a temporary file that becomes the output only when whole: a write that fails
// (here at a file-size limit) leaves the old file as it was and nothing else.
TEST_F(OutputTest, AFailedWriteKeepsTheOldFileAndLeavesNothing) {
  const std::string old = std::string(kRollHeader) + kRow;
  WriteFileBytes(dir / "out.csv", old);
  RunOptions limited;
  limited.fileSizeLimit = 4096;
  const RunResult generated = RunRollkit({"generate", "--entries", "1000", dir / "out.csv"}, limited);
  EXPECT_EQ(generated.exitCode, 1);
  EXPECT_EQ(generated.err, RollkitLine(dir / "out.csv: write error: File too large"));

  const std::string big = BuildRoll(dir, "big", ReadFileBytes(dir / "out.csv") + [] {
    std::string rows;
    for (int i = 0; i < 300; ++i) rows += "Name" + std::to_string(i) + ",John,J,A,5 IL INF,PVT,PVT,,1,2,3,U\n";
    return rows;
  }());
  const RunResult dumped = RunRollkit({"dump", "--data", big, dir / "out.csv"}, limited);
  EXPECT_EQ(dumped.exitCode, 1);
  EXPECT_EQ(dumped.err, RollkitLine(dir / "out.csv: write error: File too large"));
  EXPECT_EQ(ReadFileBytes(dir / "out.csv"), old);

  // image: the image is what could not be written, not the file being copied into it.
  const RunResult imaged = RunRollkit({"image", big, dir / "big.iso"}, limited);
  EXPECT_EQ(imaged.exitCode, 1);
  EXPECT_EQ(imaged.err, RollkitLine(dir / "big.iso: write error: File too large"));

  // build: the old database stays whole, and no staging directory is left; a new one leaves no
  // directory the build made for it.
  const RunResult built = RunRollkit({"build", "--force", dir / "big.csv", roll}, limited);
  EXPECT_EQ(built.exitCode, 1);
  EXPECT_EQ(built.err, RollkitLine(roll + "/mroll.ext: write failed"));
  ExpectRollUntouched();
  const RunResult fresh = RunRollkit({"build", dir / "big.csv", dir / "new/deeper"}, limited);
  EXPECT_EQ(fresh.exitCode, 1);
  EXPECT_EQ(fresh.err, RollkitLine(dir / "new/deeper/mroll.ext: write failed"));
  EXPECT_EQ(ListDir(dir.Path()), (std::vector<std::string>{"big", "big.csv", "out.csv", "roll", "roll.csv"}));
}

TEST_F(OutputTest, ReplacingAFileKeepsItsPermissionsAndItsLinks) {
  WriteFileBytes(dir / "target.csv", "old\n");
  ASSERT_EQ(chmod((dir / "target.csv").c_str(), 0640), 0);
  ASSERT_EQ(symlink("target.csv", (dir / "link.csv").c_str()), 0);
  const RunResult r = RunRollkit({"dump", "--data", roll, dir / "link.csv"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.csv")) << "the link stays; the file it names is replaced";
  EXPECT_EQ(ReadFileBytes(dir / "target.csv"), RunRollkit({"dump", "--data", roll}).out);
  struct stat st;
  ASSERT_EQ(stat((dir / "target.csv").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(ListDir(dir.Path()), (std::vector<std::string>{"link.csv", "roll", "roll.csv", "target.csv"}));
}

TEST_F(OutputTest, FifosAndDevicesAreWrittenDirectly) {
  const RunResult toNull = RunRollkit({"generate", "--entries", "10", "/dev/null"});
  EXPECT_EQ(toNull.exitCode, 0) << toNull.err;
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));

  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  std::string read;
  std::thread reader([&] { read = ReadFileBytes(dir / "pipe"); });
  const RunResult toFifo = RunRollkit({"dump", "--data", roll, dir / "pipe"});
  // Should rollkit not have opened the FIFO, this lets the reader go.
  const int unblock = open((dir / "pipe").c_str(), O_WRONLY | O_NONBLOCK);
  if (unblock >= 0) close(unblock);
  reader.join();
  EXPECT_EQ(toFifo.exitCode, 0) << toFifo.err;
  EXPECT_EQ(read, RunRollkit({"dump", "--data", roll}).out);
}

}  // namespace
