// The surname index file: open it, then look up keys taken from the input itself (every key field
// of every node-sized block, a window of raw bytes, and a few fixed keys), so that lookups both
// hit and descend through whatever the child offsets say.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "platform/message_box.h"
#include "store/roll_format.h"
#include "store/index_walk.h"
#include "store/roll_index.h"

namespace {

void LookUp(RollIndex& index, const char* key) {
  std::int32_t first = 7;
  std::int32_t count = 7;
  index.Lookup(key, &first, &count);
}

// The text of a 24-byte key field, cut as the reader cuts it.
std::string KeyAt(const std::string& bytes, std::size_t at) {
  std::string key;
  for (std::size_t i = 0; i < kIndexKeySize - 1 && at + i < bytes.size() && bytes[at + i] != '\0'; ++i) {
    key += bytes[at + i];
  }
  return key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = fuzz::ScratchDir() + "mroll.tre";
  const std::string bytes = fuzz::WithEndByte({reinterpret_cast<const char*>(data), size});
  fuzz::WriteFile(path, bytes);

  RollIndex index(path.c_str());
  FUZZ_CHECK(index.RootCache().entryCount == 0 || index.RootOffset() != -1);

  int lookups = 0;
  // Key fields of node-sized blocks at the writer's offsets and at the root's.
  for (std::size_t base : {std::size_t{kIndexHeaderSize}, static_cast<std::size_t>(index.RootOffset())}) {
    for (std::size_t node = base; node < bytes.size() && lookups < 64; node += kIndexNodeSize) {
      for (int e = 0; e < kMaxNodeEntries && lookups < 64; ++e, ++lookups) {
        LookUp(index, KeyAt(bytes, node + 4 + e * kIndexEntrySize + 8).c_str());
      }
    }
  }
  if (size > 0) LookUp(index, KeyAt(bytes, data[0] % bytes.size()).c_str());
  for (const char* key : {"", "SMITH                 ", "\xFF\xFF\xFF", "ZZZZZZZZZZZZZZZZZZZZZZZ"}) {
    LookUp(index, key);
  }

  // Every child of the root, loaded directly.
  for (int c = 0; c <= kMaxNodeEntries; ++c) {
    IndexNode node;
    index.LoadNode(index.RootCache().children[c], &node);
    FUZZ_CHECK(node.entryCount == 0 || std::strlen(node.entries[0].key) < kIndexKeySize);
  }
  index.Close();

  // The walk over the whole tree ends, and meets no node twice.
  const IndexWalkResult walk = WalkIndexBytes(bytes, [](const std::string&) {}, [](const WalkedEntry& e) {
    FUZZ_CHECK(e.key.size() <= static_cast<std::size_t>(kIndexKeySize));
  });
  FUZZ_CHECK(walk.entries <= walk.nodes * kMaxNodeEntries);
  FUZZ_CHECK(walk.nodes <= MaxIndexNodes(static_cast<std::int64_t>(bytes.size())));

  // An index opened from an existing file is never written.
  std::FILE* f = std::fopen(path.c_str(), "rb");
  std::string after(bytes.size() + 1, '\0');
  const std::size_t n = std::fread(after.data(), 1, after.size(), f);
  std::fclose(f);
  FUZZ_CHECK(n == bytes.size() && after.compare(0, n, bytes) == 0);
  return 0;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InstallMessageBoxHandler([](const char*, unsigned) { return kIdCancel; });
  return 0;
}
