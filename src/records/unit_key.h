// How unit texts are compared: a roll's "3 OH INF", a typed "3rd Ohio Infantry" and the list's
// "3rd Regiment, Ohio Infantry" are looked up by their keys. derive_battles.py sorts the unit
// table by the same rule; a change here must be made there too.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The longest key a unit of the list has is well below this; a longer text names no unit.
inline constexpr std::size_t kMaxUnitKey = 160;

// The key of a unit text: letters a-z in upper case, full stops dropped ("U.S." is "US"), commas
// and tabs as blanks, one blank between words and none around them, and a number's ordinal
// ending dropped ("3RD" and "3d" are "3"). Other bytes, UTF-8 ones too, stay as they are.
std::string UnitKey(std::string_view text);

// Whether `text` is valid UTF-8 without control characters (C0 but the tab, DEL, C1): text that
// can be echoed to a terminal or a dialog as it stands.
bool IsPlainText(std::string_view text);
