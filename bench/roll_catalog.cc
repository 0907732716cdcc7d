#include "roll_catalog.h"

#include <cstring>

#include "store/roll_index.h"

namespace {

bool Walk(RollIndex& index, std::int32_t offset, int depth, std::vector<SurnameRun>* runs) {
  if (offset == -1) return true;
  if (depth > 64) return false;
  IndexNode node;
  index.LoadNode(offset, &node);
  if (node.entryCount < 1 || node.entryCount > kMaxNodeEntries) return false;
  for (int i = 0; i < node.entryCount; ++i) {
    if (!Walk(index, node.children[i], depth + 1, runs)) return false;
    runs->push_back({node.entries[i].key, node.entries[i].firstSlot, node.entries[i].slotCount});
  }
  return Walk(index, node.children[node.entryCount], depth + 1, runs);
}

}  // namespace

bool WalkIndex(RollIndex& index, std::vector<SurnameRun>* runs) {
  return Walk(index, index.rootOffset, 0, runs);
}

int LookupDepth(RollIndex& index, const std::string& key) {
  int visited = 0;
  std::int32_t offset = index.rootOffset;
  while (offset != -1 && visited < 64) {
    IndexNode node;
    index.LoadNode(offset, &node);
    ++visited;
    if (node.entryCount < 1 || node.entryCount > kMaxNodeEntries) break;
    const int i = RollIndex::FindPosition(key.c_str(), node.entries, node.entryCount);
    if (i < node.entryCount && key == node.entries[i].key) break;
    offset = node.children[i];
  }
  return visited;
}

std::string SurnameOfKey(const std::string& key) {
  std::string s = key;
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}
