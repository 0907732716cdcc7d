#include "sqlite_find.h"

#include <sqlite3.h>

#include <algorithm>

#include "results/result_list.h"
#include "search_screen.h"
#include "sqlite_support.h"
#include "store/data_location.h"
#include "store/key_catalogue.h"
#include "store/name_folding.h"
#include "store/roll_database.h"
#include "store/roll_format.h"
#include "store/similar_spelling.h"
#include "store/soundex.h"

namespace {

std::string_view TextArg(sqlite3_value* v) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
  return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_value_bytes(v))) : std::string_view();
}

void SoundsLike(sqlite3_context* ctx, int, sqlite3_value** args) {
  SoundexCode wanted[kMaxSoundexCodes];
  SoundexCode codes[kMaxSoundexCodes];
  const int n = SurnameSoundexCodes(TrimmedSurname(TextArg(args[1])), wanted);
  const int m = SurnameSoundexCodes(KeySurname(TextArg(args[0])), codes);
  int same = 0;
  for (int a = 0; a < n && !same; ++a) {
    for (int b = 0; b < m && !same; ++b) same = wanted[a] == codes[b];
  }
  sqlite3_result_int(ctx, same);
}

void Similar(sqlite3_context* ctx, int, sqlite3_value** args) {
  sqlite3_result_int(ctx, SimilarSpelling(TrimmedSurname(TextArg(args[1]))).Distance(TextArg(args[0])));
}

void EntryPasses(sqlite3_context* ctx, int, sqlite3_value** args) {
  const auto* matcher = static_cast<const std::unique_ptr<EntryMatcher>*>(sqlite3_user_data(ctx));
  const auto* p = static_cast<const char*>(sqlite3_value_blob(args[0]));
  const std::string_view line(p ? p : "", p ? static_cast<std::size_t>(sqlite3_value_bytes(args[0])) : 0);
  sqlite3_result_int(ctx, matcher && *matcher && (*matcher)->Matches(line) ? 1 : 0);
}

}  // namespace

std::string TrimmedSurname(std::string_view typed) {
  while (!typed.empty() && typed.front() == ' ') typed.remove_prefix(1);
  while (!typed.empty() && typed.back() == ' ') typed.remove_suffix(1);
  return std::string(typed);
}

void PutOwnKeyFirst(std::string_view typed, std::vector<KeyRun>* runs) {
  const std::string own = KeyOf(TrimmedSurname(typed));
  if (own.empty()) return;
  const auto at = std::find_if(runs->begin(), runs->end(), [&](const KeyRun& r) { return r.key == own; });
  if (at != runs->end()) std::rotate(runs->begin(), at, at + 1);
}

std::string FoundRowSurname(std::string_view key) {
  return std::string(KeySurname(key).substr(0, kDisplaySurnameSize - 1));
}

bool RegisterFindFunctions(sqlite3* db, const std::unique_ptr<EntryMatcher>* matcher) {
  constexpr int kFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  return sqlite3_create_function(db, "sounds_like", 2, kFlags, nullptr, SoundsLike, nullptr, nullptr) == SQLITE_OK &&
         sqlite3_create_function(db, "similar", 2, kFlags, nullptr, Similar, nullptr, nullptr) == SQLITE_OK &&
         sqlite3_create_function(db, "entry_passes", 1, SQLITE_UTF8, const_cast<std::unique_ptr<EntryMatcher>*>(matcher),
                                 EntryPasses, nullptr, nullptr) == SQLITE_OK;
}

bool LoadSqliteKeyCatalogue(const std::string& rollDirectory, const std::string& dbPath, std::string* error,
                            std::int64_t* keysLoaded) {
  DataLocation location;
  location.SetDirectories(rollDirectory.c_str(), rollDirectory.c_str());
  RollDatabase roll(location, NoPromptDialogue());
  if (roll.Open(1) != 1) return *error = rollDirectory + ": the roll cannot be opened", false;
  const KeyCatalogue* catalogue = roll.Catalogue();
  if (!catalogue) return *error = rollDirectory + ": its keys cannot be listed", false;
  const bool ok = BuildSqliteFile(
      dbPath,
      [&](sqlite3* db, std::string* why) {
        if (!Exec(db,
                  "CREATE TABLE key_run (key TEXT PRIMARY KEY, bare TEXT NOT NULL, first INTEGER NOT NULL, "
                  "count INTEGER NOT NULL) WITHOUT ROWID;"
                  "CREATE TABLE key_soundex (code INTEGER NOT NULL, key TEXT NOT NULL, PRIMARY KEY (code, key)) "
                  "WITHOUT ROWID;"
                  "BEGIN;",
                  why)) {
          return false;
        }
        Statement run = Prepare(db, "INSERT INTO key_run VALUES (?1, ?2, ?3, ?4)");
        Statement code = Prepare(db, "INSERT OR IGNORE INTO key_soundex VALUES (?1, ?2)");
        if (!run || !code) return *why = sqlite3_errmsg(db), false;
        auto step = [&](sqlite3_stmt* s) {
          const bool done = sqlite3_step(s) == SQLITE_DONE;
          sqlite3_reset(s);
          if (!done) *why = sqlite3_errmsg(db);
          return done;
        };
        for (std::size_t i = 0; i < catalogue->Size(); ++i) {
          const std::string_view key = catalogue->Key(i);
          const std::string_view bare = catalogue->Surname(i);
          sqlite3_bind_text(run.get(), 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
          sqlite3_bind_text(run.get(), 2, bare.data(), static_cast<int>(bare.size()), SQLITE_STATIC);
          sqlite3_bind_int64(run.get(), 3, catalogue->FirstSlot(i));
          sqlite3_bind_int64(run.get(), 4, catalogue->SlotCount(i));
          if (!step(run.get())) return false;
          const SoundexCode* codes = nullptr;
          const int n = catalogue->SoundexCodes(i, &codes);
          for (int c = 0; c < n; ++c) {
            sqlite3_bind_int(code.get(), 1, codes[c]);
            sqlite3_bind_text(code.get(), 2, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
            if (!step(code.get())) return false;
          }
        }
        if (keysLoaded) *keysLoaded = static_cast<std::int64_t>(catalogue->Size());
        return Exec(db, "COMMIT; CREATE INDEX key_run_bare ON key_run (bare); ANALYZE;", why);
      },
      error);
  return ok;
}
