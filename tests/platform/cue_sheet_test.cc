#include "platform/cue_sheet.h"

#include <gtest/gtest.h>

namespace {

struct Good {
  const char* text;
  const char* fileName;
  SectorLayout layout;
};

struct Bad {
  const char* text;
  const char* error;
};

}  // namespace

TEST(CueSheet, ReadsTheDataTrackAsImagingProgramsWriteIt) {
  for (const Good& c : std::vector<Good>{
           {"FILE \"roll.bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n", "roll.bin",
            SectorLayout::kRawMode1},
           // Windows line ends, a byte-order mark, lower-case keywords, remarks, catalogue lines.
           {"\xEF\xBB\xBFREM made by hand\r\nCATALOG 0000000000000\r\nfile \"Muster Roll.BIN\" binary\r\n"
            "track 01 mode2/2352\r\nindex 01 00:00:00\r\n",
            "Muster Roll.BIN", SectorLayout::kRawMode2Form1},
           // An unquoted name with blanks, a pregap index before INDEX 01, and tracks after.
           {"FILE disk 3.bin BINARY\nTRACK 1 MODE1/2048\nINDEX 00 00:00:00\nINDEX 01 00:00:00\n"
            "TRACK 02 AUDIO\nINDEX 01 40:00:00\n",
            "disk 3.bin", SectorLayout::kCooked},
       }) {
    CueSheet sheet;
    std::string error;
    ASSERT_TRUE(ReadCueSheet(c.text, "d.cue", &sheet, &error)) << c.text << error;
    EXPECT_EQ(sheet.fileName, c.fileName);
    EXPECT_EQ(sheet.layout, c.layout) << c.text;
  }
}

TEST(CueSheet, RefusesWhatIsNotASingleDataTrackAtTheStartOfABinaryFile) {
  for (const Bad& c : std::vector<Bad>{
           {"", "d.cue: no FILE line"},
           {"REM nothing else\n", "d.cue: no FILE line"},
           {"FILE \"a.bin\" BINARY\n", "d.cue: no TRACK line"},
           {"FILE \"a.bin\" BINARY\nTRACK 01 MODE1/2352\n", "d.cue: track 1 has no INDEX 01"},
           {"FILE \"a.bin\" BINARY\nTRACK 01 MODE1/2352\nTRACK 02 MODE1/2352\n",
            "d.cue:3: track 1 has no INDEX 01"},
           {"TRACK 01 MODE1/2352\n", "d.cue:1: TRACK before any FILE"},
           {"FILE \"a.wav\" WAVE\n", "d.cue:1: the file is WAVE, not BINARY"},
           {"FILE BINARY\n", "d.cue:1: FILE needs a name and a type"},
           {"FILE \"\" BINARY\n", "d.cue:1: FILE names no file"},
           {"FILE \"a.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
            "d.cue:2: track 1 is AUDIO, not MODE1/2048, MODE1/2352 or MODE2/2352"},
           {"FILE \"a.bin\" BINARY\nTRACK 01\n", "d.cue:2: TRACK needs a number and a mode"},
           {"FILE \"a.bin\" BINARY\nTRACK 01 MODE1/2352\nINDEX 01 00:02:00\n",
            "d.cue:3: track 1 starts at 00:02:00, not 00:00:00"},
       }) {
    CueSheet sheet;
    std::string error;
    EXPECT_FALSE(ReadCueSheet(c.text, "d.cue", &sheet, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}
