// rollkit at the machine's limits: a file-size limit reached while a given-name search writes its
// matches is reported like any failed write instead of ending the process; an index of gigabytes
// is dealt with in memory that does not grow with it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "support/rollkit_runner.h"
#include "support/scoped_temp_dir.h"
#include "support/test_roll.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;  // the sanitizer reserves far more address space than any limit
#else
constexpr bool kSanitized = false;
#endif
constexpr long long kAddressSpace = 256ll << 20;

// Makes `path` a sparse file of `size` bytes that begins with `head` and ends with the end byte.
void SparseIndex(const std::string& path, const std::string& head, long long size) {
  const int fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, head.data(), head.size()), static_cast<ssize_t>(head.size()));
  ASSERT_EQ(pwrite(fd, "\x04", 1, size - 1), 1);
  close(fd);
}

}  // namespace

TEST(RollkitLimits, AFileSizeLimitDuringAGivenNameSearchIsAWarning) {
  TestRoll roll;
  for (int i = 0; i < 2000; ++i) roll.Add("Smith", "John" + std::to_string(i));
  roll.Build();
  ScopedTempDir tmp;
  RunOptions options;
  options.environment = {{"TMPDIR", tmp.Prefix()}, {"XDG_RUNTIME_DIR", ""}};
  options.output = "/dev/null";
  options.fileSizeLimit = 100 * 300;  // a hundred of the matches' records
  const RunResult r = RunRollkit({"search", "--data", roll.dataDir, "--given", "john", "smith"}, options);
  EXPECT_EQ(r.signal, 0) << "ended by a signal";
  EXPECT_EQ(r.exitCode, 1);
  // The matches' file is a private one without a name: the message says where it was.
  EXPECT_EQ(r.err, RollkitLine("Not every match could be written to a private file without a name in " +
                               tmp.Prefix() + " The list of results is incomplete."));
}

// dump reads the index a block at a time, through the walker that check uses: an index too large
// for node offsets is refused at once, and a large one with a small tree is dumped in little memory.
TEST(RollkitLimits, AHugeSparseIndexIsNeverReadIntoMemory) {
  TestRoll roll;
  for (const char* surname : {"Adams", "Brown", "Clark"}) roll.Add(surname, "John");
  roll.Build();
  const std::string index = roll.dataDir + "mroll.tre";
  const std::string tree = ReadFileBytes(index);
  ASSERT_EQ(tree.size(), 8u + 152 + 1) << "one node";
  ScopedTempDir out;
  RunOptions options;
  options.timeoutSeconds = 20;
  if (!kSanitized) options.addressSpaceLimit = kAddressSpace;

  SparseIndex(index, tree.substr(0, tree.size() - 1), 3ll << 30);
  const RunResult huge = RunRollkit({"dump", "--data", roll.dataDir, out.File("huge.csv")}, options);
  EXPECT_EQ(huge.exitCode, 1);
  EXPECT_EQ(huge.err, RollkitLine(index + ": 3221225472 bytes, more than node offsets can reach"));
  EXPECT_FALSE(FileExists(out.File("huge.csv")));
  const RunResult checked = RunRollkit({"check", roll.dataDir}, options);
  EXPECT_EQ(checked.exitCode, 1);
  EXPECT_EQ(Lines(checked.out).front(), index + ": 3221225472 bytes, more than node offsets can reach");

  SparseIndex(index, tree.substr(0, tree.size() - 1), 2ll << 30);
  const RunResult large = RunRollkit({"dump", "--data", roll.dataDir, out.File("large.csv")}, options);
  EXPECT_EQ(large.exitCode, 0) << large.err;
  EXPECT_EQ(Lines(ReadFileBytes(out.File("large.csv"))).size(), 4u) << "the header and three entries";
}
