// A roll read straight out of a disk image, and found on mounted media when nothing names it:
// every command that reads a roll prints the same bytes as it does for the unpacked files.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "support/raw_image.h"
#include "support/rollkit_runner.h"

namespace {

class DiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string csv = kRollHeader;
    for (int i = 0; i < 40; ++i) {
      csv += "Smith,Given" + std::to_string(i) + ",J,A,5 IL INF,PVT,PVT,Note " + std::to_string(i) +
             ",1,2,3,U\n";
    }
    csv += "Müller,José,,C,9 PA INF,SERG,SERG,Café,7,8,9,U\n";
    data = BuildRoll(dir, "roll", csv);
    ASSERT_EQ(RunRollkit({"image", data, dir / "roll.iso"}).exitCode, 0);
    ASSERT_EQ(RunRollkit({"image", "--no-joliet", data, dir / "plain.iso"}).exitCode, 0);
    WriteRawImage(dir / "roll.iso", dir / "roll.bin", dir / "roll.cue", RawMode::kMode1Raw);
  }

  // What each reading command prints for the roll at `where` (--data), or found by itself when
  // `where` is empty.
  std::vector<std::string> Outputs(const std::string& where,
                                   const std::map<std::string, std::string>& env = {}) {
    const std::vector<std::vector<std::string>> commands = {
        {"search", "smith"},
        {"search", "--json", "--given", "given1", "smith"},
        {"search", "müller"},
        {"show", "smith", "33"},
        {"dump"}};
    std::vector<std::string> outputs;
    for (std::vector<std::string> args : commands) {
      if (!where.empty()) args.insert(args.begin() + 1, {"--data", where});
      const RunResult r = RunRollkit(args, env);
      outputs.push_back(std::to_string(r.exitCode) + "\n" + r.out + r.err);
    }
    return outputs;
  }

  // An environment with no INI and `media` as the root of the mounted-media search.
  std::map<std::string, std::string> NoIni(const std::string& media) const {
    return {{"BREVIK_INI", dir / "none.ini"}, {kMediaVariable, media}, {"USER", "anna"}};
  }

  static constexpr const char* kMediaVariable = "DRAVENHOLT_MEDIA_ROOT";
  ScopedTempDir dir;
  std::string data;
};

}  // namespace

TEST_F(DiskTest, ImagesReadAsTheUnpackedFiles) {
  const std::vector<std::string> expected = Outputs(data);
  ASSERT_EQ(Lines(expected[0]).at(1), "40 records found.");
  for (const char* image : {"roll.iso", "plain.iso", "roll.bin", "roll.cue"}) {
    EXPECT_EQ(Outputs(dir / image), expected) << image;
  }
  const RunResult check = RunRollkit({"check", dir / "roll.cue"});
  EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
}

// An image is read through every file it is made of: no output replaces the image, nor the file
// a cue sheet names (cooked or raw, by any name), and nothing printed is appended to it.
TEST_F(DiskTest, NothingIsWrittenOverTheImageTheRollIsReadFrom) {
  WriteRawImage(dir / "roll.iso", dir / "mode2.bin", dir / "mode2.cue", RawMode::kMode2Raw);
  WriteRawImage(dir / "roll.iso", dir / "cooked.iso", dir / "cooked.cue", RawMode::kMode1Cooked);
  const std::string role = "a file of the roll database being dumped; nothing was written";
  struct Case {
    std::string data, output, found;
  };
  std::vector<Case> cases = {
      {dir / "cooked.cue", dir / "cooked.iso", dir / "cooked.iso"},
      {dir / "roll.cue", dir / "roll.bin", dir / "roll.bin"},
      {dir / "mode2.cue", dir / "mode2.bin", dir / "mode2.bin"},
      {dir / "roll.cue", dir / "roll.cue", dir / "roll.cue"},
      {dir / "roll.iso", dir / "roll.iso", dir / "roll.iso"},
  };
#ifndef _WIN32  // a link is followed to the file it names, which the roll is read from
  ASSERT_EQ(symlink((dir / "roll.bin").c_str(), (dir / "alias.bin").c_str()), 0);
  cases.push_back({dir / "roll.cue", dir / "alias.bin", dir / "roll.bin"});
#endif
  for (const Case& c : cases) {
    const std::string before = ReadFileBytes(c.output);
    const RunResult r = RunRollkit({"dump", "--data", c.data, c.output});
    EXPECT_EQ(r.exitCode, 1) << c.output;
    const std::string what = c.output == c.found ? role : c.found + ", " + role;
    EXPECT_EQ(r.err, RollkitLine(c.output + ": is " + what));
    EXPECT_TRUE(ReadFileBytes(c.output) == before) << c.output;
  }

  RunOptions appending;
  appending.output = dir / "roll.bin";
  appending.appendOutput = true;
  const std::string before = ReadFileBytes(dir / "roll.bin");
  const RunResult searched = RunRollkit({"search", "--data", dir / "roll.cue", "smith"}, appending);
  EXPECT_EQ(searched.exitCode, 1);
  EXPECT_EQ(searched.err, RollkitLine("standard output: is " + (dir / "roll.bin") +
                                      ", a file of the roll being read; nothing was written"));
  EXPECT_TRUE(ReadFileBytes(dir / "roll.bin") == before);

  WriteFileBytes(dir / "junk.iso", std::string(50000, 'x'));
  const RunResult junk = RunRollkit({"search", "--data", dir / "junk.iso", "smith"});
  EXPECT_EQ(junk.exitCode, 1);
  EXPECT_EQ(junk.err,
            RollkitLine(dir / "junk.iso" +
                        ": a regular file, not a directory or a disk image (no ISO 9660 file system)"));
}

#ifndef _WIN32  // the places desktops mount disks; Windows looks at its drives instead
TEST_F(DiskTest, WithoutDataOrIniTheRollIsFoundOnMountedMedia) {
  const std::vector<std::string> expected = Outputs(data);
  // An empty mount point first, then the disk under upper-case names as other systems show them.
  ScopedTempDir media;
  ASSERT_EQ(mkdir((media / "media").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((media / "media/anna").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((media / "media/anna/BLANK").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((media / "media/anna/DISK3").c_str(), 0755), 0);
  for (const char* name : {"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"}) {
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    WriteFileBytes(media / ("media/anna/DISK3/" + upper), ReadFileBytes(data + "/" + name));
  }
  EXPECT_EQ(Outputs("", NoIni(media.Path())), expected);

  // An INI that names a directory without the data does not stop the search; one that names
  // the data wins over the media.
  std::map<std::string, std::string> env = NoIni(media.Path());
  env["BREVIK_INI"] = dir / "brevik.ini";
  WriteFileBytes(dir / "brevik.ini", "[Kinloom7m]\nMRPath=" + (dir / "empty") + "\n");
  EXPECT_EQ(Outputs("", env), expected);
  const std::string other =
      BuildRoll(dir, "other", std::string(kRollHeader) + "Smith,Other,,A,1 OH INF,PVT,PVT,,1,2,3,U\n");
  WriteFileBytes(dir / "brevik.ini", "[Kinloom7m]\nMRPath=" + other + "\n");
  EXPECT_EQ(Lines(RunRollkit({"search", "smith"}, env).out).front(), "1 records found.");
}

TEST_F(DiskTest, WhenNothingIsFoundTheMessageSaysWhereItLooked) {
  ScopedTempDir media;
  ASSERT_EQ(mkdir((media / "mnt").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((media / "mnt/cdrom").c_str(), 0755), 0);
  const RunResult r = RunRollkit({"search", "smith"}, NoIni(media.Path()));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, RollkitLine("no data directory: pass --data DIR or set MRPath in section Kinloom7m of " +
                               (dir / "none.ini") + "; no roll on mounted media (looked in " +
                               (media / "mnt/cdrom") + ")"));
}
#endif
