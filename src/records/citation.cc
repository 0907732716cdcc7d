#include "records/citation.h"

#include <vector>

#include "records/unit_names.h"

namespace {

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
  std::string out;
  for (const std::string& part : parts) {
    if (part.empty()) continue;
    if (!out.empty()) out += separator;
    out += part;
  }
  return out;
}

// Ends a sentence with a full stop, unless its last word brought one ("SERG.").
void EndSentence(std::string* text) {
  if (!text->empty() && text->back() != '.') text->push_back('.');
}

// "F&S" on a roll is the field and staff, not a company.
std::string CompanyClause(const SoldierEntry& entry, const char* companyWord) {
  const std::string& company = entry.Field(kCompanyField);
  if (company.empty()) return std::string();
  if (company == "F&S") return "Field and Staff";
  return std::string(companyWord) + " " + company;
}

// Company, unit (or the side alone), ranks.
std::string ServiceClauses(const SoldierEntry& entry, const char* companyWord) {
  std::string unit = UnitInPlainWords(entry.Field(kUnitField), entry.Field(kSideField));
  if (unit.empty()) unit = SideName(SideOfField(entry.Field(kSideField)));
  const std::string& rankIn = entry.Field(kRankInField);
  const std::string& rankOut = entry.Field(kRankOutField);
  return Joined({CompanyClause(entry, companyWord), unit, rankIn.empty() ? "" : "rank in " + rankIn,
                 rankOut.empty() ? "" : "rank out " + rankOut},
                ", ");
}

std::string SourceText() {
  return std::string(kRollSourceTitle) + " (" + kRollSourceMedium + "), " + kRollSearchedWith;
}

}  // namespace

std::string MicrofilmReference(const SoldierEntry& entry) {
  const std::string& box = entry.Field(kMicrofilmBoxField);
  const std::string& roll = entry.Field(kMicrofilmRollField);
  const std::string& record = entry.Field(kMicrofilmRecordField);
  return Joined({box.empty() ? "" : "box " + box, roll.empty() ? "" : "roll " + roll,
                 record.empty() ? "" : "record " + record},
                ", ");
}

std::string PlainCitation(const SoldierEntry& entry) {
  std::string text = Joined({FullName(entry), ServiceClauses(entry, "Company")}, ", ");
  EndSentence(&text);
  if (!text.empty()) text += ' ';
  text += "Source: " + SourceText() + ".";
  const std::string microfilm = MicrofilmReference(entry);
  if (!microfilm.empty()) text += " National Archives microfilm: " + microfilm + ".";
  return text;
}

std::string EvidenceCitation(const SoldierEntry& entry) {
  std::string text = SourceText();
  const std::string about = Joined({FullName(entry), ServiceClauses(entry, "Co.")}, ", ");
  if (!about.empty()) text += ", entry for " + about;
  const std::string microfilm = MicrofilmReference(entry);
  if (!microfilm.empty()) text += "; citing National Archives microfilm, " + microfilm;
  EndSentence(&text);
  return text;
}
