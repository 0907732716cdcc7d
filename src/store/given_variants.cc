// The table of given-name variants. Where each entry comes from:
//
//   [GT] Genealogy Today, "Nicknames and Abbreviated Names" (names in records of the pre-1900
//        United States South): https://www.genealogytoday.com/articles/reader.mv?ID=396 -- the
//        abbreviations Jno (John or Jonathan), Wm, Thos, Nich, Jas, Geo, Zach, Margt, Chas, Danl,
//        Jos (Joseph, Joshua or Josiah), Saml, Robt, Edwd, Gabl, Richd, Hy, Nathl, Michl, and the
//        nicknames listed beside their names (Jack, Jimmy, Sam, Joe, Bob, Ike, Frank, ...).
//   [FS] FamilySearch Research Wiki, "Abbreviations Found in Genealogy Records":
//        https://www.familysearch.org/en/wiki/Abbreviations_Found_in_Genealogy_Records -- Jno, Hy,
//        Wm, Jas, Jos, Geo, Benj, Xpher.
//   [FH] Family History UK, "Name Abbreviations" (census records):
//        https://familyhistory.uk.com/genealogy-help/family-names/name-abbreviations/ -- Edw, and
//        the nicknames Will and Bill (William), Tom (Thomas).
//   [WK] Wiktionary, "Appendix:Abbreviations for English given names":
//        https://en.wiktionary.org/wiki/Appendix:Abbreviations_for_English_given_names -- the
//        contractions that keep a name's last letter, Alexr and Fredk among them.
//
// Words are upper case letters only: the clerk's full stop (WM.) is not a letter, and the
// given-name test stops at it. Keep the groups in alphabetical order of their full name.
#include "store/given_variants.h"

#include <algorithm>
#include <array>

#include "store/roll_format.h"

namespace {

struct Group {
  const char* name;
  std::array<const char*, 4> forms;  // the first empty one ends the list
};

constexpr Group kGroups[] = {
    {"ABRAHAM", {"ABE"}},                 // [GT]
    {"ALEXANDER", {"ALEXR"}},             // [WK]
    {"BENJAMIN", {"BENJ"}},               // [FS]
    {"CHARLES", {"CHAS", "CHARLIE"}},     // [GT]
    {"CHRISTOPHER", {"XPHER"}},           // [FS]
    {"DANIEL", {"DANL"}},                 // [GT]
    {"DAVID", {"DAVE", "DAVEY"}},         // [GT]
    {"EDWARD", {"EDWD", "EDW"}},          // [GT], [FH]
    {"ELIZABETH", {"BETSY"}},             // [GT]
    {"FRANCIS", {"FRANK"}},               // [GT]
    {"FREDERICK", {"FREDK"}},             // [WK]
    {"GABRIEL", {"GABL", "GABE"}},        // [GT]
    {"GEORGE", {"GEO"}},                  // [GT], [FS]
    {"HENRY", {"HY"}},                    // [GT], [FS]
    {"ISAAC", {"IKE"}},                   // [GT]
    {"JACOB", {"JAKE"}},                  // [GT]
    {"JAMES", {"JAS", "JIMMY"}},          // [GT], [FS]
    {"JEREMIAH", {"JERRY"}},              // [GT]
    {"JOHN", {"JNO", "JACK"}},            // [GT], [FS]
    {"JONATHAN", {"JNO"}},                // [GT]
    {"JOSEPH", {"JOS", "JOE"}},           // [GT], [FS]
    {"JOSHUA", {"JOS"}},                  // [GT]
    {"JOSIAH", {"JOS"}},                  // [GT]
    {"LAWRENCE", {"LARRY"}},              // [GT]
    {"MARGARET", {"MARGT", "PEGGY"}},     // [GT]
    {"MARTHA", {"PATSY"}},                // [GT]
    {"MARY", {"POLLY", "MOLLY"}},         // [GT]
    {"MICHAEL", {"MICHL"}},               // [GT]
    {"NATHANIEL", {"NATHL"}},             // [GT]
    {"NICHOLAS", {"NICH"}},               // [GT]
    {"RICHARD", {"RICHD"}},               // [GT]
    {"ROBERT", {"ROBT", "BOB"}},          // [GT]
    {"SAMUEL", {"SAML", "SAM"}},          // [GT]
    {"SARAH", {"SALLY"}},                 // [GT]
    {"THOMAS", {"THOS", "TOM"}},          // [GT], [FH]
    {"WILLIAM", {"WM", "WILL", "BILL"}},  // [GT], [FS], [FH]
    {"ZACHARIAH", {"ZACH"}},              // [GT]
};

template <typename Visit>
void ForEachWord(const Group& group, Visit visit) {
  visit(std::string_view(group.name));
  for (const char* form : group.forms) {
    if (form == nullptr) break;
    visit(std::string_view(form));
  }
}

}  // namespace

std::vector<std::string> GivenNameVariants(std::string_view word) {
  std::string upper(word);
  for (char& c : upper) c = UpperAscii(c);
  std::vector<std::string> variants;
  for (const Group& group : kGroups) {
    bool member = false;
    ForEachWord(group, [&](std::string_view w) { member = member || w == upper; });
    if (!member) continue;
    ForEachWord(group, [&](std::string_view w) {
      if (w != upper && std::find(variants.begin(), variants.end(), w) == variants.end())
        variants.emplace_back(w);
    });
  }
  return variants;
}

std::vector<std::string> GivenNameGroups() {
  std::vector<std::string> groups;
  for (const Group& group : kGroups) {
    std::string line;
    ForEachWord(group, [&](std::string_view w) {
      if (!line.empty()) line += ' ';
      line += w;
    });
    groups.push_back(std::move(line));
  }
  return groups;
}
