// The schema, version 1, written once for both dialects: the column types that differ are
// placeholders filled per database. Events are typed and indexed for the obvious questions:
// a terminal's events in time order, a card's events in time order.
#pragma once

#include <string>

namespace vorskel::site {

struct Dialect {
  const char* serial_key;  // ID
  const char* moment;      // TIME: 'YYYY-MM-DD HH:MM:SS'
  const char* bytes;       // BYTES
  const char* big;         // BIG: 64-bit numbers
};

inline constexpr Dialect kSqlite = {"INTEGER PRIMARY KEY", "TEXT", "BLOB", "INTEGER"};
inline constexpr Dialect kPostgres = {"BIGSERIAL PRIMARY KEY", "TIMESTAMP(0)", "BYTEA", "BIGINT"};

inline std::string schema_sql(const Dialect& d) {
  std::string sql = R"(
CREATE TABLE terminals (name TEXT PRIMARY KEY, model TEXT NOT NULL, host TEXT NOT NULL,
                        port INTEGER NOT NULL);
CREATE TABLE events (
  id ID,
  terminal TEXT NOT NULL REFERENCES terminals(name),
  kind TEXT NOT NULL,
  card TEXT NOT NULL,
  occurred_at TIME,
  status TEXT NOT NULL,
  raw BYTES,
  detail TEXT NOT NULL,
  received_at TIME NOT NULL,
  source TEXT NOT NULL CHECK (source IN ('record', 'live', 'both')),
  lost BIG);
CREATE INDEX events_terminal_time ON events (terminal, occurred_at);
CREATE INDEX events_card_time ON events (card, occurred_at);
CREATE TABLE sync_positions (
  terminal TEXT NOT NULL REFERENCES terminals(name),
  model TEXT NOT NULL,
  start_pointer BIG NOT NULL, end_pointer BIG NOT NULL, area_end BIG NOT NULL,
  cycle INTEGER NOT NULL,
  stored BIG NOT NULL,
  updated_at TIME NOT NULL,
  PRIMARY KEY (terminal, model));
)";
  const auto fill = [&sql](const std::string& word, const std::string& type) {
    for (auto at = sql.find(word); at != std::string::npos; at = sql.find(word, at + type.size()))
      sql.replace(at, word.size(), type);
  };
  fill(" TIME", std::string(" ") + d.moment);
  fill(" BYTES", std::string(" ") + d.bytes);
  fill(" BIG", std::string(" ") + d.big);
  fill(" ID,", std::string(" ") + d.serial_key + ",");  // last: its type holds BIG
  return sql;
}

}  // namespace vorskel::site
