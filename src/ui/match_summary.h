// Why the surnames of a widened result were found, in words, for the line under the screen and for
// assistive technology. Text in the roll's code page. It uses the standard library only.
#pragma once

#include <string>

class ResultList;
class SearchAnswer;

// The most surnames the summary names; the rest are counted.
inline constexpr int kSummarySurnames = 12;

// A similar-spelling answer's surnames, closest first, grouped by their distance from the typed
// surname: "letters apart, 0: MULLER, M\xFCLLER \xB7 1: MILLER \xB7 2: BUTLER", "and 3 more" after
// kSummarySurnames of them. "" for any other answer, or none found.
std::string SimilarSummary(const SearchAnswer& answer);

// Why row `row` of the page was found ("1 letter apart", "Soundex M460"); "" for the plain search
// or no such row.
std::string RowMatchText(const ResultList& list, int row);
