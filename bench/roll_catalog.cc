#include "roll_catalog.h"

#include <cstring>

#include "search_screen.h"
#include "store/data_location.h"
#include "store/index_walk.h"
#include "store/roll_database.h"
#include "store/roll_index.h"

bool ListSurnameRuns(const RollIndex& index, std::vector<SurnameRun>* runs) {
  const IndexWalkResult walk = WalkIndex(
      index.File(), [](const std::string&) {},
      [&](const WalkedEntry& e) {
        runs->push_back({std::string(e.key), e.firstSlot, e.slotCount});
      });
  return !walk.damaged;
}

bool VisitRollEntries(const std::string& rollDirectory, const std::function<bool(const RollEntry&)>& visit,
                      std::string* error, std::int32_t* nameLength) {
  DataLocation location;
  location.SetDirectories(rollDirectory.c_str(), rollDirectory.c_str());
  RollDatabase roll(location, NoPromptDialogue());
  if (!roll.Open(1)) return *error = rollDirectory + ": no roll database", false;
  std::vector<SurnameRun> runs;
  if (!ListSurnameRuns(*roll.Index(), &runs))
    return *error = rollDirectory + "mroll.tre: unreadable index", false;
  if (nameLength) *nameLength = roll.NameLength();
  char line[kLineBufferSize];
  for (const SurnameRun& run : runs) {
    for (std::int32_t s = run.firstSlot; s < run.firstSlot + run.slotCount; ++s) {
      roll.ReadSlot(s);
      roll.ReadLine(roll.LineOffset(), line);
      if (!visit({&run, s, roll.CurrentName(), std::string_view(line, std::strlen(line))})) return false;
    }
  }
  return true;
}

int LookupDepth(RollIndex& index, const std::string& key) {
  int visited = 0;
  std::int32_t offset = index.RootOffset();
  while (offset != -1 && visited < 64) {
    IndexNode node;
    index.LoadNode(offset, &node);
    ++visited;
    if (!node.EntryCountUsable()) break;
    const int i = RollIndex::FindPosition(key.c_str(), node.entries, node.entryCount);
    if (i < node.entryCount && key == node.entries[i].key) break;
    offset = node.children[i];
  }
  return visited;
}
