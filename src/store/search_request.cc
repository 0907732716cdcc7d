#include "store/search_request.h"

#include <cstdio>
#include <cstring>

#include "store/roll_format.h"

void SearchRequest::SetSurname(const char* text, const QueryErrorReport& report) {
  const std::size_t length = std::strlen(text);
  if (length > kRequestTextSize - 1) {
    if (report) report(QueryError("last name is too long"));
    return;
  }
  std::memcpy(surname, text, length + 1);
  hasGivenName = 0;
}

void SearchRequest::SetDatabase(int n) { number = static_cast<std::int8_t>(n); }

void SearchRequest::SetGivenName(const char* text, const QueryErrorReport& report) {
  const std::size_t length = std::strlen(text);
  if (length > kGivenNameLength) {
    if (report) report(QueryError("first name is too long"));
    return;
  }
  for (std::size_t i = 0; i < kGivenNameLength; ++i) givenName[i] = i < length ? text[i] : ' ';
  givenName[kGivenNameLength] = '\0';
  UpperCaseAscii(givenName);
  hasGivenName = 1;
}

std::string SearchRequest::QueryError(const char* message) {
  char text[kRequestTextSize];
  std::snprintf(text, sizeof text, "query error: %s.\n", message);
  return text;
}
