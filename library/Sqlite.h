#pragma once
// A thin hold on SQLite's C API for the library's own use: the connection and prepared
// statements close themselves, and every failure comes back as SQLite's code and message.

#include <sqlite3.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kestralux::sql {

class Statement {
 public:
  Statement() = default;
  Statement(sqlite3* db, std::string_view text);
  Statement(Statement&& other) noexcept : db_(other.db_), statement_(other.statement_), code_(other.code_) {
    other.statement_ = nullptr;
  }
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement();

  bool ok() const { return statement_ != nullptr; }
  int prepareCode() const { return code_; }

  Statement& bind(int index, std::int64_t value);
  Statement& bind(int index, std::string_view text);
  Statement& bindBlob(int index, std::span<const std::uint8_t> bytes);
  Statement& bindNull(int index);

  // SQLITE_ROW, SQLITE_DONE or the failure's code.
  int step();
  void reset();

  std::int64_t integer(int column) const { return sqlite3_column_int64(statement_, column); }
  std::string text(int column) const;
  std::string blob(int column) const;
  bool isNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

 private:
  sqlite3* db_ = nullptr;
  sqlite3_stmt* statement_ = nullptr;
  int code_ = SQLITE_OK;
};

// Runs statements that return no rows; SQLITE_OK or the failure's code.
int execute(sqlite3* db, const char* text);

std::string message(sqlite3* db);

}  // namespace kestralux::sql
