// The other forms of a given name as the rolls' clerks wrote them: the standard abbreviations
// (WM for WILLIAM, JNO for JOHN, CHAS for CHARLES) and the usual nicknames (BILL, JACK), from the
// published tables cited in given_variants.cc, kept there as data and nowhere else.
//
// A table entry is a group: a full name and its forms. A typed word belongs to every group that
// lists it, as the full name or as a form (JOS belongs to JOSEPH, JOSHUA and JOSIAH); its variants
// are all the other words of those groups. A word of no group has none: JO, a prefix of JOHN and
// JOSEPH, is only ever a prefix.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The most variants any typed word has; a given-name test set holds these and the typed word.
inline constexpr int kMaxGivenVariants = 24;

// The variants of `word` (its letters, any case), upper case, each once, without the word itself;
// empty for a word of no group.
std::vector<std::string> GivenNameVariants(std::string_view word);

// Every group of the table, each as "FULL FORM FORM ...", for the documentation and the tests.
std::vector<std::string> GivenNameGroups();
