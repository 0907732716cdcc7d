// A roll's unit text in plain words ("18 ME INF" is the 18th Maine Infantry, of the Union), from
// the park service's unit list (data/nps). Only short forms the list gives are decoded; any other
// text is left as it stands, never guessed.
//
// The decoding table is ASCII, so these functions take the roll's bytes and UTF-8 alike.
#pragma once

#include <string>
#include <string_view>

enum class Side { kUnknown, kUnion, kConfederate };

// The side an entry's side field names: "U" or "C" (either case, blanks around them ignored).
Side SideOfField(std::string_view sideField);

// "Union", "Confederate", or "" for kUnknown.
const char* SideName(Side side);

struct DecodedUnit {
  bool known = false;     // the list has this short form
  std::string_view name;  // "18th Maine Infantry" (static text); empty when unknown
  Side side = Side::kUnknown;
};

// Decodes a unit text. Blanks around the text and repeated blanks inside it do not count, nor
// does the case of its letters. The side is the list's side for the short form; when the list has
// the short form on both sides, `entrySide` chooses, and without an entry side it stays unknown.
DecodedUnit DecodeUnit(std::string_view unitText, Side entrySide);

// The unit as a reader wants it: "18th Maine Infantry (Union)", "1st Alabama Cavalry" (a short
// form of both sides, and no side on the entry), or, for a text the list does not know, the text
// as it stands without its outer blanks, followed by the entry's side when it has one:
// "99 ZZ INF (Union)". Empty when the unit text is.
std::string UnitInPlainWords(std::string_view unitText, std::string_view sideField);
