// What an export costs per entry, apart from reading the roll: building the entry from its bytes,
// then each thing records/ makes of it. Entries are drawn from a fixed mix of roll texts (decoded
// and unknown units, remarks, missing fields), the kind a result of a common surname holds.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "records/citation.h"
#include "records/export_rows.h"
#include "records/gedcom_writer.h"
#include "records/pull_list.h"
#include "records/unit_names.h"

namespace {

struct RawEntry {
  std::string surname, name;
  std::vector<std::string> fields;
};

const std::vector<RawEntry>& RawEntries() {
  static const std::vector<RawEntry> entries = [] {
    const char* const units[] = {"25 BTRY OH LT ART", "18 ME INF", "1 AL CAV", "COOPER'S BN AL INF",
                                 "10 USCT HVY ART", "99 ZZ INF"};
    const char* const remarks[] = {"", "", "Transferred", "Wounded at Gettysburg, 3 July 1863; discharged"};
    std::vector<RawEntry> out;
    for (int i = 0; i < 1000; ++i) {
      out.push_back({"KELLY", i % 3 ? "Patrick" : "Jos\xE9",
                     {i % 2 ? "G" : " ", std::string(1, static_cast<char>('A' + i % 10)), units[i % 6],
                      "PVT", "CORP", remarks[i % 4], std::to_string(1 + i % 1480), std::to_string(1 + i % 400),
                      std::to_string(1 + i * 7 % 9000), i % 2 ? "U" : "C"}});
    }
    return out;
  }();
  return entries;
}

SoldierEntry Build(const RawEntry& raw) {
  const std::vector<std::string_view> fields(raw.fields.begin(), raw.fields.end());
  return EntryFromRoll(raw.surname, raw.name, fields);
}

std::vector<SoldierEntry> Entries() {
  std::vector<SoldierEntry> entries;
  for (const RawEntry& raw : RawEntries()) entries.push_back(Build(raw));
  return entries;
}

void BM_EntryFromRoll(benchmark::State& state) {
  const auto& raw = RawEntries();
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(Build(raw[i++ % raw.size()]));
  state.SetItemsProcessed(state.iterations());
}

void BM_DecodeUnit(benchmark::State& state) {
  const auto entries = Entries();
  std::size_t i = 0;
  for (auto _ : state) {
    const SoldierEntry& e = entries[i++ % entries.size()];
    benchmark::DoNotOptimize(DecodeUnit(e.Field(kUnitField), SideOfField(e.Field(kSideField))));
  }
  state.SetItemsProcessed(state.iterations());
}

template <std::string (*Make)(const SoldierEntry&)>
void BM_PerEntry(benchmark::State& state) {
  const auto entries = Entries();
  std::size_t i = 0;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string text = Make(entries[i++ % entries.size()]);
    bytes += text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void BM_Gedcom1000(benchmark::State& state) {
  const auto entries = Entries();
  for (auto _ : state) benchmark::DoNotOptimize(WriteGedcom(entries, {}));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(entries.size()));
}

void BM_PullList1000(benchmark::State& state) {
  const auto entries = Entries();
  for (auto _ : state) {
    PullList list;
    for (const SoldierEntry& e : entries) list.Add(e);
    benchmark::DoNotOptimize(list.Text());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(entries.size()));
}

}  // namespace

BENCHMARK(BM_EntryFromRoll);
BENCHMARK(BM_DecodeUnit);
BENCHMARK(BM_PerEntry<CsvRow>)->Name("BM_CsvRow");
BENCHMARK(BM_PerEntry<JsonObject>)->Name("BM_JsonObject");
BENCHMARK(BM_PerEntry<EvidenceCitation>)->Name("BM_EvidenceCitation");
BENCHMARK(BM_Gedcom1000);
BENCHMARK(BM_PullList1000);
BENCHMARK_MAIN();
