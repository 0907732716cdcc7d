#include "roll_catalog.h"

#include "store/index_walk.h"
#include "store/roll_index.h"

bool ListSurnameRuns(const RollIndex& index, std::vector<SurnameRun>* runs) {
  const IndexWalkResult walk = WalkIndex(
      index.File(), [](const std::string&) {},
      [&](const WalkedEntry& e) { runs->push_back({std::string(e.key), e.firstSlot, e.slotCount}); });
  return !walk.damaged;
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
