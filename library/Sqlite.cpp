#include "library/Sqlite.h"

namespace kestralux::sql {

Statement::Statement(sqlite3* db, std::string_view text) : db_(db) {
  code_ = sqlite3_prepare_v2(db, text.data(), static_cast<int>(text.size()), &statement_, nullptr);
  if (code_ != SQLITE_OK) {
    sqlite3_finalize(statement_);
    statement_ = nullptr;
  }
}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(statement_);
    db_ = other.db_;
    statement_ = other.statement_;
    code_ = other.code_;
    other.statement_ = nullptr;
  }
  return *this;
}

Statement::~Statement() { sqlite3_finalize(statement_); }

Statement& Statement::bind(int index, std::int64_t value) {
  sqlite3_bind_int64(statement_, index, value);
  return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
  sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  return *this;
}

Statement& Statement::bindBlob(int index, std::span<const std::uint8_t> bytes) {
  // A zero-length blob, not NULL: an empty name is still a name that was seen.
  sqlite3_bind_blob(statement_, index, bytes.empty() ? "" : static_cast<const void*>(bytes.data()), static_cast<int>(bytes.size()),
                    SQLITE_TRANSIENT);
  return *this;
}

Statement& Statement::bindNull(int index) {
  sqlite3_bind_null(statement_, index);
  return *this;
}

int Statement::step() {
  if (!statement_) return code_;
  return sqlite3_step(statement_);
}

void Statement::reset() {
  if (!statement_) return;
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

std::string Statement::text(int column) const {
  const auto* p = sqlite3_column_text(statement_, column);
  return p ? std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))) : std::string();
}

std::string Statement::blob(int column) const {
  const auto* p = static_cast<const char*>(sqlite3_column_blob(statement_, column));
  return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))) : std::string();
}

int execute(sqlite3* db, const char* text) { return sqlite3_exec(db, text, nullptr, nullptr, nullptr); }

std::string message(sqlite3* db) { return db ? sqlite3_errmsg(db) : "out of memory"; }

}  // namespace kestralux::sql
