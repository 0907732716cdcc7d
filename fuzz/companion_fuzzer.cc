// The companion index reader: the input as a companion file of a fixed roll, as it stands (most
// inputs stop at the header's checks), and then resealed: its section lengths taken from its
// header, its checksums and its binding made right, so that every question reads hostile
// sections. Whatever the bytes, the reader ends, stays inside the file and answers within the
// roll.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "companion_roll.h"
#include "fuzz_support.h"
#include "store/companion_reader.h"
#include "store/unit_roster.h"

namespace {

RollBinding g_binding;
RollFilesView g_roll;

// The input with a header that matches its bytes: the sections as long as its header says, as
// far as the bytes go, then the block table.
std::string Reseal(std::string_view input) {
  if (input.size() < static_cast<std::size_t>(kCompanionHeaderSize)) return {};
  CompanionHeader h;
  h.roll = g_binding;
  const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
  std::uint64_t left = input.size() - kCompanionHeaderSize;
  std::uint64_t at = kCompanionHeaderSize;
  for (int s = 0; s < kSectionCount; ++s) {
    const std::uint64_t length = GetFixed64(bytes + companion_layout::kSections + 16 * s + 8);
    h.sections[s] = {at, length < left ? length : left};
    at += h.sections[s].length;
    left -= h.sections[s].length;
  }
  std::string file(input.substr(0, static_cast<std::size_t>(at)));
  SealCompanion(h, &file);
  return file;
}

void Ask(CompanionReader& reader) {
  const std::int32_t slots = g_binding.slotTotal;
  const CompanionFilter filters[] = {
      CompanionFilter::From('C', "", "", ""), CompanionFilter::From(0, "IL", "", ""),
      CompanionFilter::From(0, "", "", "a"), CompanionFilter::From('U', "", "CAV", "B")};
  for (std::size_t k = 0; k < reader.KeyCount() && k < 32; ++k) {
    CompanionKey key;
    if (!reader.Key(k, &key)) break;
    FUZZ_CHECK(key.begin >= 0 && key.begin <= key.end && key.end <= slots);
    reader.FindKey(std::string(key.text));
    std::string kept;
    if (reader.NameSamples(k, &kept) && !kept.empty()) {
      FUZZ_CHECK(key.namesOrdered && g_binding.nameLength > 0 &&
                 kept.size() == static_cast<std::size_t>(SamplesOfRun(key.end - key.begin)) *
                                    static_cast<std::size_t>(g_binding.nameLength));
    }
    for (const CompanionFilter& f : filters) {
      std::int64_t count = -1;
      if (reader.CountOfKey(k, f, &count)) FUZZ_CHECK(count >= 0 && count <= key.end - key.begin);
    }
    for (const char side : {'C', 'U', '\0'}) {
      std::vector<std::int32_t> list;
      if (!reader.SideSlots(k, side, &list)) continue;
      FUZZ_CHECK(static_cast<std::int64_t>(list.size()) <= key.end - key.begin);
      for (std::size_t i = 0; i < list.size(); ++i)
        FUZZ_CHECK(list[i] >= key.begin && list[i] < key.end && (i == 0 || list[i - 1] < list[i]));
    }
  }
  if (const auto table = reader.LoadKeyTable()) {
    FUZZ_CHECK(table->Size() == reader.KeyCount() && table->Before(table->Size()) <= slots);
  }
  const auto column = reader.LoadSlotGroups();
  if (column) FUZZ_CHECK(static_cast<std::int64_t>(column->Slots()) == slots);
  for (const CompanionFilter& f : filters) {
    if (const auto verdicts = reader.GroupVerdicts(f); column && verdicts) {
      std::vector<std::int32_t> found;
      std::int64_t from = 0;
      column->Passing(*verdicts, &from, slots, 64, &found);
      FUZZ_CHECK(found.size() <= 64 && from <= slots);
      for (std::size_t i = 0; i < found.size(); ++i)
        FUZZ_CHECK(found[i] >= 0 && found[i] < slots && (i == 0 || found[i - 1] < found[i]));
    }
    std::vector<std::int32_t> page;
    std::int64_t count = -1;
    if (reader.PassingSlots(0, slots, f, 1, 10, &page, &count)) {
      FUZZ_CHECK(page.size() <= 10 && count >= 0 && count <= slots);
      for (std::int32_t s : page) FUZZ_CHECK(s >= 0 && s < slots);
    }
    if (reader.CountOfRoll(f, &count)) FUZZ_CHECK(count >= 0 && count <= slots);
  }
  std::size_t from = 0, to = 0;
  if (reader.KeysWithPrefix("SM", &from, &to)) {
    std::uint64_t sum = 0;
    FUZZ_CHECK(from <= to && to <= reader.KeyCount());
    reader.SlotsOfKeys(from, to, &sum);
  }
  for (std::size_t g = 0; g < reader.GroupCount() && g < 16; ++g) {
    CompanionGroup group;
    if (!reader.Group(g, &group)) break;
    std::vector<std::int32_t> slotsOfGroup;
    if (reader.GroupSlots(g, 0, 64, &slotsOfGroup)) {
      FUZZ_CHECK(slotsOfGroup.size() <= 64);
      for (std::int32_t s : slotsOfGroup) FUZZ_CHECK(s >= 0 && s < slots);
    }
    std::vector<std::int32_t> roster;
    std::int64_t count = -1;
    const std::string_view company = group.company;
    if (reader.Roster(group.unit, group.side, &company, 2, 5, &roster, &count))
      FUZZ_CHECK(roster.size() <= 5);
    // The unit fields a roster's unit text finds include the group's own, all of them in bounds.
    std::vector<std::size_t> fields;
    if (reader.UnitFieldsReadingAs(RosterUnitText(group.unit), &fields)) {
      const std::size_t units = reader.UnitTextCount();
      for (std::size_t i = 0; i < fields.size(); ++i)
        FUZZ_CHECK(fields[i] < units && (i == 0 || fields[i - 1] < fields[i]));
      FUZZ_CHECK(std::any_of(fields.begin(), fields.end(),
                             [&](std::size_t u) { return reader.UnitText(u) == group.unit; }));
    }
  }
  for (std::uint32_t code : {18530u, 463000u, 0u}) {
    std::vector<std::uint32_t> keys;
    std::uint64_t sum = 0;
    if (reader.KeysWithSoundex(code, &keys, &sum)) {
      for (std::uint32_t k : keys) FUZZ_CHECK(k < reader.KeyCount());
    }
    reader.KeysWithDmCode(code, &keys, &sum);
  }
  reader.VerifyAll();
}

void Read(const std::string& bytes) {
  static const std::string path = fuzz::ScratchDir() + "fuzz.companion";
  fuzz::WriteFile(path, bytes);
  ReadOnlyFile file;
  if (file.Open(path) != OpenStatus::kOk) return;
  CompanionReader reader;
  std::string reason;
  if (reader.Open(std::move(file), g_binding, &reason)) Ask(reader);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  Read(std::string(input));
  const std::string resealed = Reseal(input);
  if (!resealed.empty()) Read(resealed);
  return 0;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static const std::string roll = fuzz::ScratchDir() + "roll/";
  std::filesystem::create_directory(roll);
  fuzz::WriteCompanionRoll(roll);
  static ReadOnlyFile name, line, index;
  if (name.Open(roll + "mroll.cor") != OpenStatus::kOk || line.Open(roll + "mroll.ext") != OpenStatus::kOk ||
      index.Open(roll + "mroll.tre") != OpenStatus::kOk) {
    std::abort();
  }
  g_roll = {&name, &line, &index};
  std::string error;
  if (!BindRoll(g_roll, &g_binding, &error)) std::abort();
  return 0;
}
