#include "records/soldier_entry.h"

#include "platform/cp1252.h"

namespace {

// Control bytes and the bytes Windows-1252 leaves undefined (they convert to C1 controls).
bool IsControlByte(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F ||
         byte == 0x90 || byte == 0x9D;
}

// The text in UTF-8, controls as blanks (tabs and stray CRs among them), outer blanks removed.
std::string RollText(std::string_view bytes) {
  std::string clean(bytes);
  for (char& c : clean) {
    if (IsControlByte(static_cast<unsigned char>(c))) c = ' ';
  }
  const std::size_t first = clean.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return Cp1252ToUtf8(std::string_view(clean).substr(first, clean.find_last_not_of(' ') + 1 - first));
}

bool IsInitial(std::string_view word) {
  return word.size() == 1 && word[0] >= 'A' && word[0] <= 'Z';
}

}  // namespace

SoldierEntry EntryFromRoll(std::string_view surname, std::string_view nameText,
                           const std::vector<std::string_view>& fields) {
  SoldierEntry entry;
  entry.surname = RollText(surname);
  entry.givenName = RollText(nameText);
  for (std::size_t i = 0; i < fields.size() && i < entry.fields.size(); ++i) {
    entry.fields[i] = RollText(fields[i]);
  }
  return entry;
}

std::string GivenNames(const SoldierEntry& entry) {
  const std::string& given = entry.givenName;
  const std::string& initial = entry.Field(kMiddleInitialField);
  if (initial.empty()) return given;
  if (given.empty()) return initial;
  // The name text often carries the initial already ("John A"); a name that is only the initial
  // does not count as carrying it.
  const std::size_t lastBlank = given.rfind(' ');
  if (lastBlank != std::string::npos) {
    const std::string_view lastWord = std::string_view(given).substr(lastBlank + 1);
    if (lastWord == initial || lastWord == initial + ".") return given;
  }
  return given + " " + initial;
}

std::string FullName(const SoldierEntry& entry) {
  std::string name;
  const std::string given = GivenNames(entry);
  std::string_view rest = given;
  while (!rest.empty()) {
    const std::size_t blank = rest.find(' ');
    const std::string_view word = rest.substr(0, blank);
    if (!word.empty()) {
      if (!name.empty()) name += ' ';
      name += word;
      if (IsInitial(word)) name += '.';
    }
    if (blank == std::string_view::npos) break;
    rest.remove_prefix(blank + 1);
  }
  if (!entry.surname.empty()) {
    if (!name.empty()) name += ' ';
    name += entry.surname;
  }
  return name;
}
