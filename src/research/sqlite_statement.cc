#include "research/sqlite_statement.h"

Statement::Statement(sqlite3* db, const char* sql) {
  sqlite3_stmt* prepared = nullptr;
  if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &prepared, nullptr) == SQLITE_OK) {
    statement.reset(prepared);
  }
}

Statement& Statement::Bind(int index, std::string_view text) {
  sqlite3_bind_text64(statement.get(), index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
  return *this;
}

Statement& Statement::BindBlob(int index, std::string_view bytes) {
  sqlite3_bind_blob64(statement.get(), index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
  return *this;
}

Statement& Statement::Bind(int index, std::int64_t value) {
  sqlite3_bind_int64(statement.get(), index, value);
  return *this;
}

Statement& Statement::BindNull(int index) {
  sqlite3_bind_null(statement.get(), index);
  return *this;
}

int Statement::Step() { return statement ? sqlite3_step(statement.get()) : SQLITE_MISUSE; }

void Statement::Reset() {
  if (!statement) return;
  sqlite3_reset(statement.get());
  sqlite3_clear_bindings(statement.get());
}

std::string Statement::Text(int column) const {
  const void* bytes = sqlite3_column_blob(statement.get(), column);
  const int size = sqlite3_column_bytes(statement.get(), column);
  if (!bytes || size <= 0) return {};
  return std::string(static_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

std::int64_t Statement::Int(int column) const { return sqlite3_column_int64(statement.get(), column); }

bool Statement::IsNull(int column) const {
  return sqlite3_column_type(statement.get(), column) == SQLITE_NULL;
}

int Execute(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

bool QueryInt(sqlite3* db, const char* sql, std::int64_t* value, int* code) {
  Statement query(db, sql);
  const int step = query.Ok() ? query.Step() : sqlite3_errcode(db);
  if (code) *code = step;
  if (step != SQLITE_ROW) return false;
  *value = query.Int(0);
  return true;
}
