// What one search asks for: a surname, an optional given name and a database number.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

inline constexpr int kRequestTextSize = 256;
inline constexpr int kGivenNameLength = 255;  // the given name is padded with spaces to this

// Told "query error: <message>.\n" when a setter refuses its text; the front end shows it (the
// viewer in a box). Empty: the refusal is silent.
using QueryErrorReport = std::function<void(const std::string& text)>;

class SearchRequest {
 public:
  // Copies `text` into surname and clears hasGivenName. A text longer than 255 characters is
  // reported ("last name is too long") and changes nothing.
  void SetSurname(const char* text, const QueryErrorReport& report = {});
  void SetDatabase(int n);
  // Fills givenName with `text` upper-cased (a-z only) and space-padded to 255 characters, and
  // sets hasGivenName. Longer than 255 characters: reported ("first name is too long"), no change.
  void SetGivenName(const char* text, const QueryErrorReport& report = {});
  // "query error: %s.\n" with `message`.
  static std::string QueryError(const char* message);

  std::int32_t hasGivenName = 0;
  std::int8_t number = 0;
  char givenName[kRequestTextSize] = {};
  char surname[kRequestTextSize] = {};
};
