#include "ui/match_summary.h"

#include "results/result_list.h"
#include "store/search_answer.h"

std::string SimilarSummary(const SearchAnswer& answer) {
  if (answer.Mode() != MatchMode::kSimilar) return {};
  // Short enough for the status strip: the closest, which come first, are the ones it must show.
  std::string text;
  std::int32_t group = -1;
  int named = 0;
  std::size_t spans = 0;
  for (std::size_t i = 0; i < answer.SpanCount(); ++i) {
    const FoundSpan span = answer.Span(i);
    if (span.slotCount <= 0) continue;
    ++spans;
    if (named == kSummarySurnames) continue;
    if (span.detail != group) {
      text += text.empty() ? "letters apart, " : " \xB7 ";
      text += std::to_string(span.detail) + ": ";
      group = span.detail;
    } else {
      text += ", ";
    }
    text += span.surname;
    ++named;
  }
  if (spans > static_cast<std::size_t>(named)) text += " and " + std::to_string(spans - named) + " more";
  return text;
}

std::string RowMatchText(const ResultList& list, int row) {
  const SearchAnswer* found = list.Found();
  FoundSpan span;
  if (!found || found->Plain() || !list.RowSpan(row, &span)) return {};
  return DescribeMatch(found->Mode(), span.detail);
}
