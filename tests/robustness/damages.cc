#include "damages.h"

#include "platform/byte_order.h"
#include "store/roll_format.h"
#include "support/scoped_temp_dir.h"

IndexNode NodeAt(const std::string& tre, std::size_t offset) {
  return IndexNode::Decode(reinterpret_cast<const unsigned char*>(tre.data() + offset));
}
void PutNode(std::string& tre, std::size_t offset, const IndexNode& node) {
  unsigned char bytes[kIndexNodeSize];
  node.Encode(bytes);
  tre.replace(offset, kIndexNodeSize, reinterpret_cast<const char*>(bytes), kIndexNodeSize);
}
void Put32(std::string& bytes, std::size_t offset, std::int32_t value) { bytes.replace(offset, 4, Le32(value)); }

void BuildDamageRoll(TestRoll& roll) {
  for (int i = 0; i < 25; ++i) {
    std::vector<std::string> fields = SampleFields(std::to_string(i));
    fields[5] = std::string(61, 'M') + " " + std::string(20, 'W');  // wraps in the detail text
    roll.Add("Smith", "NAME" + std::to_string(100 + i), fields);
  }
  for (int i = 0; i < 40; ++i) roll.Add("Surname" + std::to_string(100 + i), "JOHN" + std::to_string(i));
  roll.Build();
}

std::vector<Damage> Damages() {
  std::vector<Damage> d;
  // Truncation of the name and line files at several points.
  for (double at : {0.0, 0.1, 0.5, 0.99}) {
    d.push_back({"cor cut", "mroll.cor", [at](Files& f) { f.cor.resize(static_cast<std::size_t>(f.cor.size() * at)); }});
    d.push_back({"ext cut", "line offset", [at](Files& f) { f.ext.resize(static_cast<std::size_t>(f.ext.size() * at)); }});
  }
  d.push_back({"cor cut to 3 bytes", "mroll.cor", [](Files& f) { f.cor.resize(3); }});
  d.push_back({"cor without trailer", "mroll.cor", [](Files& f) { f.cor.resize(f.cor.size() - 4); }});
  d.push_back({"ext without last byte", "line offset", [](Files& f) { f.ext.pop_back(); }});
  // The index cut short (keeping its end byte, or it is refused outright: see the death test).
  for (std::size_t at : {1u, 5u, 8u, 100u, 9u + 152u}) {
    d.push_back({"tre cut", "mroll.tre", [at](Files& f) { f.tre = f.tre.substr(0, at) + '\x04'; }});
  }
  // Trailer (L) out of range or wrong.
  for (std::int32_t l : {-1, 0, 1, 256, 1000, INT32_MAX, INT32_MIN}) {
    d.push_back({"trailer", "mroll.cor", [l](Files& f) { Put32(f.cor, f.cor.size() - 4, l); }});
  }
  // Header: the root anywhere.
  for (std::int32_t root : {0, 4, 7, 9, -2, INT32_MAX, INT32_MIN, 1 << 20}) {
    d.push_back({"root offset", "mroll.tre", [root](Files& f) { Put32(f.tre, 0, root); }});
  }
  d.push_back({"root offset at the end byte", "mroll.tre", [](Files& f) { Put32(f.tre, 0, static_cast<std::int32_t>(f.tre.size()) - 1); }});
  // Nodes: counts, children, slots and keys.
  for (std::int32_t count : {0, 5, -1, 1 << 30}) {
    d.push_back({"root entry count", "mroll.tre", [count](Files& f) { Put32(f.tre, kRoot, count); }});
    d.push_back({"child entry count", "mroll.tre", [count](Files& f) {
                   IndexNode root = NodeAt(f.tre, kRoot);
                   Put32(f.tre, static_cast<std::size_t>(root.children[2]), count);
                 }});
  }
  d.push_back({"root is its own child", "mroll.tre", [](Files& f) {
                 IndexNode root = NodeAt(f.tre, kRoot);
                 for (auto& c : root.children) c = kRoot;
                 PutNode(f.tre, kRoot, root);
               }});
  d.push_back({"grandchild points back to the root", "mroll.tre", [](Files& f) {
                 IndexNode root = NodeAt(f.tre, kRoot);
                 for (std::int32_t child : root.children) {
                   IndexNode node = NodeAt(f.tre, static_cast<std::size_t>(child));
                   for (auto& c : node.children) c = kRoot;
                   PutNode(f.tre, static_cast<std::size_t>(child), node);
                 }
               }});
  d.push_back({"two children point at each other", "mroll.tre", [](Files& f) {
                 IndexNode root = NodeAt(f.tre, kRoot);
                 IndexNode a = NodeAt(f.tre, static_cast<std::size_t>(root.children[0]));
                 IndexNode b = NodeAt(f.tre, static_cast<std::size_t>(root.children[1]));
                 for (auto& c : a.children) c = root.children[1];
                 for (auto& c : b.children) c = root.children[0];
                 PutNode(f.tre, static_cast<std::size_t>(root.children[0]), a);
                 PutNode(f.tre, static_cast<std::size_t>(root.children[1]), b);
               }});
  for (std::int32_t child : {-2, 1, 3, 8 + 76, INT32_MAX, INT32_MIN}) {
    d.push_back({"child offset", "mroll.tre", [child](Files& f) {
                   IndexNode root = NodeAt(f.tre, kRoot);
                   for (auto& c : root.children) c = child;
                   PutNode(f.tre, kRoot, root);
                 }});
  }
  for (const auto& range : std::vector<std::pair<std::int32_t, std::int32_t>>{
           {-1, 5}, {-5, 5}, {0, -1}, {3, -30}, {INT32_MAX, INT32_MAX}, {INT32_MIN, 1}, {2, INT32_MIN}, {0, INT32_MAX}}) {
    const std::int32_t first = range.first;
    const std::int32_t count = range.second;
    d.push_back({"slots of every entry", "mroll.tre", [first, count](Files& f) {
                   for (std::size_t node = kRoot; node + kIndexNodeSize < f.tre.size(); node += kIndexNodeSize) {
                     for (int e = 0; e < kMaxNodeEntries; ++e) {
                       Put32(f.tre, node + 4 + e * kIndexEntrySize, first);
                       Put32(f.tre, node + 8 + e * kIndexEntrySize, count);
                     }
                   }
                 }});
  }
  d.push_back({"keys without their NUL", "mroll.tre", [](Files& f) {
                 for (std::size_t node = kRoot; node + kIndexNodeSize < f.tre.size(); node += kIndexNodeSize) {
                   for (int e = 0; e < kMaxNodeEntries; ++e) {
                     f.tre[node + 4 + e * kIndexEntrySize + 8 + 22] = 'Z';
                     f.tre[node + 4 + e * kIndexEntrySize + 8 + 23] = 'Z';
                   }
                 }
               }});
  // Slots: line offsets anywhere, names without their NUL.
  for (std::int32_t offset : {-1, -1000, 1 << 30, INT32_MAX, INT32_MIN}) {
    d.push_back({"line offsets", "mroll.cor", [offset](Files& f) {
                   const std::int32_t slot = DecodeFixed32(reinterpret_cast<const unsigned char*>(f.cor.data() + f.cor.size() - 4)) + 4;
                   for (std::size_t s = 0; s + 4 < f.cor.size(); s += static_cast<std::size_t>(slot)) Put32(f.cor, s, offset);
                 }});
  }
  d.push_back({"line offset just past the line file", "mroll.cor", [](Files& f) { Put32(f.cor, 0, static_cast<std::int32_t>(f.ext.size())); }});
  d.push_back({"names fill their slots", "mroll.cor", [](Files& f) {
                 const std::int32_t slot = DecodeFixed32(reinterpret_cast<const unsigned char*>(f.cor.data() + f.cor.size() - 4)) + 4;
                 for (std::size_t s = 0; s + 4 < f.cor.size(); s += static_cast<std::size_t>(slot)) {
                   for (std::size_t i = s + 4; i < s + static_cast<std::size_t>(slot); ++i) f.cor[i] = 'N';
                 }
               }});
  // Lines: separators and line feeds gone or everywhere, NULs inside.
  d.push_back({"no line feeds", "line offset", [](Files& f) { for (char& c : f.ext) if (c == '\n') c = 'x'; }});
  d.push_back({"no separators", nullptr, [](Files& f) { for (char& c : f.ext) if (c == '\xFF') c = 'y'; }});
  d.push_back({"only separators", "line offset", [](Files& f) { for (char& c : f.ext) c = '\xFF'; }});
  d.push_back({"only line feeds", nullptr, [](Files& f) { for (char& c : f.ext) c = '\n'; }});
  d.push_back({"NULs in the lines", nullptr, [](Files& f) { for (std::size_t i = 0; i < f.ext.size(); i += 7) f.ext[i] = '\0'; }});
  d.push_back({"one endless line", "line offset", [](Files& f) { f.ext = std::string(20000, 'L'); }});
  d.push_back({"spaces everywhere", nullptr, [](Files& f) { for (char& c : f.ext) if (c != '\n') c = ' '; }});
  // Empty files.
  d.push_back({"cor empty", "mroll.cor", [](Files& f) { f.cor.clear(); }});
  d.push_back({"ext empty", "line offset", [](Files& f) { f.ext.clear(); }});
  d.push_back({"tre holds only its end byte", "mroll.tre", [](Files& f) { f.tre = "\x04"; }});
  return d;
}

