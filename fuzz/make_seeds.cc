// Builds the seed corpora of the fuzz targets from valid databases made with the engine's writer:
//   make_fuzz_seeds OUT   writes OUT/<target>/<seed> for every target.
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "companion_roll.h"
#include "fuzz_support.h"
#include "platform/byte_order.h"
#include "platform/disk_image_writer.h"
#include "results/filter_buffer.h"
#include "store/companion_builder.h"
#include "store/roll_format.h"
#include "store/roll_writer.h"
#include "support/raw_image.h"

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void Put(const std::string& dir, const std::string& name, const std::string& bytes) {
  mkdir(dir.c_str(), 0755);
  std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
}

struct Roll {
  std::string cor, ext, tre;
};

struct Entry {
  std::string surname, name;
  std::vector<std::string> fields;
};

Roll Build(const std::string& scratch, const std::vector<Entry>& entries, int nameLength) {
  RollWriter writer(nameLength);
  std::string error;
  for (const Entry& e : entries) {
    std::vector<std::string_view> fields(e.fields.begin(), e.fields.end());
    if (!writer.Add(e.surname, e.name, fields, &error)) {
      std::fprintf(stderr, "make_fuzz_seeds: %s: %s\n", e.surname.c_str(), error.c_str());
      std::exit(1);
    }
  }
  if (!writer.Write(scratch, &error)) {
    std::fprintf(stderr, "make_fuzz_seeds: %s\n", error.c_str());
    std::exit(1);
  }
  return {Slurp(scratch + "mroll.cor"), Slurp(scratch + "mroll.ext"), Slurp(scratch + "mroll.tre")};
}

std::vector<std::string> Fields(int i) {
  const std::string misc = i % 3 == 0 ? std::string(70, 'M') + " wounded at " + std::string(30, 'W') : "";
  return {i % 4 == 0 ? " " : "J", "CO " + std::to_string(i % 9), "5 IL INF", "PVT", i % 2 ? "CORP" : "",
          misc, std::to_string(100 + i), "34", i % 5 == 0 ? " " : "56", i % 2 ? "U" : "C"};
}

std::string Surname(int i) {
  static const char* const kNames[] = {"Smith", "Jones", "Brown", "Miller", "Davis", "Wilson", "Anderson",
                                        "Taylor", "Thomas", "Moore", "Martin", "Jackson", "Thompson",
                                        "White", "Harris", "Clark", "Lewis", "Robinson", "Walker", "Young"};
  std::string s = kNames[i % 20];
  if (i >= 20) s += std::string(1, static_cast<char>('a' + (i / 20) % 26)) + std::to_string(i);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds OUT\n");
    return 2;
  }
  const std::string out = argv[1];
  mkdir(out.c_str(), 0755);
  const std::string scratch = fuzz::ScratchDir();

  // Databases of 1, 4, 5, 30 and 200 surnames (one to three index levels), several slots each.
  struct Shape {
    int surnames, perSurname, nameLength;
  };
  const Shape shapes[] = {{1, 1, 0}, {4, 2, 20}, {5, 3, 0}, {30, 2, 12}, {200, 1, 0}, {3, 25, 255}};
  int n = 0;
  for (const Shape& shape : shapes) {
    std::vector<Entry> entries;
    for (int s = 0; s < shape.surnames; ++s) {
      for (int k = 0; k < shape.perSurname; ++k) {
        const int i = s * shape.perSurname + k;
        entries.push_back({Surname(s), (k % 2 ? "John " : "Mary ") + std::string(1, static_cast<char>('A' + k % 26)),
                           Fields(i)});
      }
    }
    if (shape.surnames == 1) entries.push_back({"Averyveryverylongsurnam", "Al", Fields(1)});
    const Roll roll = Build(scratch, entries, shape.nameLength);
    const std::string tag = std::to_string(n++);
    Put(out + "/index", "tree" + tag, roll.tre);
    const std::string surname = Surname(shape.surnames / 2);
    Put(out + "/roll", "range" + tag, fuzz::JoinParts({surname, roll.cor, roll.ext, roll.tre}));
    Put(out + "/roll", "given" + tag, fuzz::JoinParts({"\x01" + surname + std::string(1, '\0') + "jo", roll.cor, roll.ext, roll.tre}));
    Put(out + "/roll", "miss" + tag, fuzz::JoinParts({"Nobody", roll.cor, roll.ext, roll.tre}));
    Put(out + "/check_dump", "roll" + tag, fuzz::JoinParts({roll.cor, roll.ext, roll.tre}));
  }
  Put(out + "/index", "empty", std::string(fuzz::kEmptyIndex));

  // Disk images of the last roll built above: cooked with and without Joliet names, and raw in
  // both modes; the cue part of each is the sheet that describes it.
  {
    std::vector<IsoImageFile> files;
    std::string error;
    if (!CollectImageFiles(scratch, {"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"}, &files, &error)) {
      std::fprintf(stderr, "make_fuzz_seeds: %s\n", error.c_str());
      return 1;
    }
    for (bool joliet : {true, false}) {
      IsoImageOptions options;
      options.joliet = joliet;
      const std::string iso = scratch + "seed.iso";
      if (!WriteIsoImage(files, iso, options, &error)) {
        std::fprintf(stderr, "make_fuzz_seeds: %s\n", error.c_str());
        return 1;
      }
      const std::string tag = joliet ? "joliet" : "plain";
      Put(out + "/disk_image", "iso-" + tag, fuzz::JoinParts({"", Slurp(iso)}));
      Put(out + "/settings", "image-" + tag,
          fuzz::JoinParts({"[View]\nZoom=1.5\n[Data]\nPlace=place.img\n", Slurp(iso)}));
      for (RawMode mode : {RawMode::kMode1Raw, RawMode::kMode2Raw}) {
        WriteRawImage(iso, scratch + "seed.bin", scratch + "seed.cue", mode);
        Put(out + "/disk_image", std::string("raw-") + (mode == RawMode::kMode1Raw ? "1-" : "2-") + tag,
            fuzz::JoinParts({Slurp(scratch + "seed.cue"), Slurp(scratch + "seed.bin")}));
      }
    }
  }

  // The viewer's settings: zooms it must bring to a step, places of every kind.
  Put(out + "/settings", "huge",
      fuzz::JoinParts({"[View]\nZoom=1e308\n[Data]\nPlace=" + std::string(300, 'p') + "\n", ""}));
  Put(out + "/settings", "odd",
      fuzz::JoinParts({"[View]\nZoom=inf\n[Data]\nPlace=place.img/\n", "not an image"}));
  Put(out + "/settings", "quoted", fuzz::JoinParts({"[View]\nZoom=\"0.0001\"\n[Data]\nPlace=\"/\"\n", ""}));

  // Scripts of media trees (media_fuzzer.cc: what, in which folder, under which name): a disk
  // under /media, then the same disk with mroll.ext a link to a file off it, and with its files
  // in another case beside a link.
  {
    const std::string disk = {0, 0, 8, 1, 2, 0, 1, 2, 2, 1, 2, 6};
    Put(out + "/media", "disk", disk + std::string{1, 2, 4});
    Put(out + "/media", "linked", disk + std::string{2, 2, 4});
    Put(out + "/media", "cased", disk + std::string{1, 2, 5, 3, 2, 4, 0, 1, 10, 3, 1, 3});
  }

  // Roll text that would act on a terminal: a title sequence in the surname, a forged row in the
  // name text, a clipboard write and the C1 control OSC (0x9D) in the fields.
  Put(out + "/text_output", "escapes",
      fuzz::JoinParts({"KELLY\x1b]0;x\x07", "Ann\r\nFORGED\tROW",
                       "J\xFF"
                       "A\xFF\x1b]52;c;eA==\x07\xFF"
                       "PVT\xFF\xFF\x9D\x1b[2J\xFF"
                       "1\xFF"
                       "2\xFF"
                       "3\xFFU\xFF\n"}));
  Put(out + "/text_output", "plain",
      fuzz::JoinParts({"SMITH", "John",
                       "G\xFFG\xFF"
                       "25 BTRY OH LT ART\xFF"
                       "CORP\xFFSERG\xFF\xFF"
                       "12\xFF"
                       "34\xFF"
                       "5678\xFFU\xFF\n"}));

  // INI texts.
  Put(out + "/profile", "plain", "[Kinloom7m]\nKinloomDir=/home/u/kinloom\nMRPath=/media/cdrom\n");
  Put(out + "/profile", "windows",
      "; family settings\r\n[Other]\r\nMRPath=x\r\n[ kinloom7m ]\r\n  kinloomdir = \"C:\\KINLOOM\\\" \r\nMRPATH='D:\\'\r\n");
  Put(out + "/profile", "long", "[Kinloom7m]\nMRPath=/" + std::string(300, 'd') + "\nKinloomDir=\n");
  Put(out + "/profile", "named", "Section\tKey\n[Section]\nKey=value\n[Kinloom7m\nMRPath\n=x\n");

  // Filter buffer files: matches as the result list writes them, and the scripts that page them.
  {
    const std::string path = scratch + "history.buf";
    for (int count : {0, 1, 10, 25}) {
      {
        FilterBuffer buffer(path);
        for (int i = 0; i < count; ++i) buffer.Append(i * 40, ("ANNA" + std::to_string(i)).c_str(), nullptr);
      }
      std::string file = Slurp(path);
      Put(out + "/filter_buffer", "records" + std::to_string(count),
          fuzz::JoinParts({std::string("\x00\x00\x01\x02\x0a\x00\x03\x05\x06\x07\x04\x00\x00\x01", 14), file}));
      file += "xyz";  // a partial record at the end
      Put(out + "/filter_buffer", "partial" + std::to_string(count), fuzz::JoinParts({"\x00\x08\x01", file}));
    }
  }
  // Roll CSV files as rollkit reads them.
  const std::string header = "surname,name,middle_initial,company,unit,rank_in,rank_out,misc,box,roll,record,side\n";
  Put(out + "/csv", "plain", header + "Smith,John,J,A,5 IL INF,PVT,CORP,,12,34,56,U\nJones,Ann,,B,2 OH CAV,SGT,,\"wounded, 1863\",1,2,3,C\n");
  Put(out + "/csv", "quoted", "\xEF\xBB\xBF" + header + "\"O'Brien\",\"Mary \"\"Polly\"\"\",\" \",A,\"multi\nline\",PVT,,,1,2,3,U\r\n");
  Put(out + "/csv", "latin", header + "M\xC3\xBCller,J\xC3\xBCrgen,,A,5 IL INF,PVT,,,1,2,3,U\n");
  Put(out + "/csv", "short", header + "Smith,John\nSmith\n,,,\n");

  // Entries as records/ takes them: surname, name text, line (Windows-1252, 0xFF-separated).
  Put(out + "/records", "whole", fuzz::JoinParts({"KELLY", "Patrick",
      "G\xFFG\xFF" "25 BTRY OH LT ART\xFF" "CORP\xFFSERG\xFF\xFF" "12\xFF" "34\xFF" "5678\xFFU\xFF\n"}));
  Put(out + "/records", "awkward", fuzz::JoinParts({"O'BRIEN", "Jos\xE9 \"Joe\"",
      " \xFF" "F&S\xFF" "1 AL CAV\xFF" "CAPT\xFF\xFF" "Wounded, @ Gettysburg; \"mustered\"\xFF \xFF" "7\xFF \xFF" "C"}));
  Put(out + "/records", "sparse", fuzz::JoinParts({"SMITH", "", "\xFF\xFF" "99 ZZ INF"}));

  // A companion index of the companion target's roll, written as the builder writes it.
  {
    const std::string roll = scratch + "companion/";
    mkdir(roll.c_str(), 0755);
    fuzz::WriteCompanionRoll(roll);
    ReadOnlyFile name, line, index;
    std::string bytes, error;
    if (name.Open(roll + "mroll.cor") != OpenStatus::kOk || line.Open(roll + "mroll.ext") != OpenStatus::kOk ||
        index.Open(roll + "mroll.tre") != OpenStatus::kOk || !BuildCompanion({&name, &line, &index}, {}, &bytes, &error)) {
      std::fprintf(stderr, "make_fuzz_seeds: companion: %s\n", error.c_str());
      return 1;
    }
    Put(out + "/companion", "built", bytes);
  }
  return 0;
}
