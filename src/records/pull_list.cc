#include "records/pull_list.h"

#include <algorithm>

#include "records/csv_text.h"

namespace {

bool IsNumber(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Negative, zero or positive as `a` sorts before, with or after `b`. Numbers compare by value
// (leading zeros do not count; equal values fall back to the texts), whatever their length.
int CompareLabels(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? -1 : 1);
  const bool numberA = IsNumber(a);
  const bool numberB = IsNumber(b);
  if (numberA != numberB) return numberA ? -1 : 1;
  if (numberA) {
    const std::size_t startA = std::min(a.find_first_not_of('0'), a.size());
    const std::size_t startB = std::min(b.find_first_not_of('0'), b.size());
    const std::size_t digitsA = a.size() - startA;
    const std::size_t digitsB = b.size() - startB;
    if (digitsA != digitsB) return digitsA < digitsB ? -1 : 1;
    const int byValue = a.compare(startA, digitsA, b, startB, digitsB);
    if (byValue != 0) return byValue;
  }
  return a.compare(b);
}

std::string Entries(long count) {
  return std::to_string(count) + (count == 1 ? " entry" : " entries");
}

}  // namespace

bool PullList::RollOrder::operator()(const std::pair<std::string, std::string>& a,
                                     const std::pair<std::string, std::string>& b) const {
  const int byBox = CompareLabels(a.first, b.first);
  if (byBox != 0) return byBox < 0;
  return CompareLabels(a.second, b.second) < 0;
}

void PullList::Add(const SoldierEntry& entry) {
  const std::string& box = entry.Field(kMicrofilmBoxField);
  const std::string& roll = entry.Field(kMicrofilmRollField);
  if (box.empty() && roll.empty()) {
    ++withoutReference;
    return;
  }
  ++withReference;
  ++rolls[{box, roll}];
}

std::vector<MicrofilmRoll> PullList::Rolls() const {
  std::vector<MicrofilmRoll> list;
  list.reserve(rolls.size());
  for (const auto& [key, count] : rolls) list.push_back({key.first, key.second, count});
  return list;
}

std::string PullList::Text() const {
  std::string text = "National Archives microfilm to request: ";
  if (rolls.empty()) {
    text += "none.\n";
  } else {
    text += std::to_string(rolls.size()) + (rolls.size() == 1 ? " roll" : " rolls") + " for " +
            Entries(withReference) + ".\n";
  }
  for (const auto& [key, count] : rolls) {
    if (key.first.empty()) {
      text += "Roll " + key.second + " (no box)";
    } else if (key.second.empty()) {
      text += "Box " + key.first + " (no roll)";
    } else {
      text += "Box " + key.first + ", roll " + key.second;
    }
    text += ": " + Entries(count) + "\n";
  }
  if (withoutReference > 0) {
    text += Entries(withoutReference) + (withoutReference == 1 ? " has" : " have") +
            " no microfilm reference.\n";
  }
  return text;
}

std::string PullList::Csv() const {
  std::string out;
  const char* const header[] = {"microfilm_box", "microfilm_roll", "entries"};
  AppendCsvRecord(header, &out);
  for (const auto& [key, count] : rolls) {
    const std::string fields[] = {key.first, key.second, std::to_string(count)};
    AppendCsvRecord(fields, &out);
  }
  return out;
}
