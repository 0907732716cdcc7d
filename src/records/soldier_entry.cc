#include "records/soldier_entry.h"

#include "platform/cp1252.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// Control bytes and the bytes Windows-1252 leaves undefined (they convert to C1 controls).
bool IsControlByte(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F ||
         byte == 0x90 || byte == 0x9D;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string RollText(std::string_view bytes) {
  std::string clean(bytes);
  for (char& c : clean) {
    if (IsControlByte(static_cast<unsigned char>(c))) c = ' ';
  }
  return Cp1252ToUtf8(Trimmed(clean));
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
  const std::size_t lastBlank = given.find_last_of(' ');
  const std::string_view lastWord =
      lastBlank == std::string::npos ? std::string_view(given) : std::string_view(given).substr(lastBlank + 1);
  if (lastBlank != std::string::npos && (lastWord == initial || lastWord == initial + ".")) return given;
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
