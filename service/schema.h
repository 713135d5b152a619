// The schema, version 1, in the two dialects. Events are typed and indexed for the obvious
// questions: a terminal's events in time order, a card's events in time order.
#pragma once

namespace vorskel::site {

inline constexpr const char* kSqliteSchema = R"(
CREATE TABLE terminals (name TEXT PRIMARY KEY, model TEXT NOT NULL, host TEXT NOT NULL,
                        port INTEGER NOT NULL);
CREATE TABLE events (
  id INTEGER PRIMARY KEY,
  terminal TEXT NOT NULL REFERENCES terminals(name),
  kind TEXT NOT NULL,
  card TEXT NOT NULL,
  occurred_at TEXT,
  status TEXT NOT NULL,
  raw BLOB,
  detail TEXT NOT NULL,
  received_at TEXT NOT NULL,
  source TEXT NOT NULL CHECK (source IN ('record', 'live', 'both')),
  lost INTEGER);
CREATE INDEX events_terminal_time ON events (terminal, occurred_at);
CREATE INDEX events_card_time ON events (card, occurred_at);
CREATE TABLE sync_positions (
  terminal TEXT NOT NULL REFERENCES terminals(name),
  model TEXT NOT NULL,
  start_pointer INTEGER NOT NULL, end_pointer INTEGER NOT NULL, area_end INTEGER NOT NULL,
  cycle INTEGER NOT NULL,
  stored INTEGER NOT NULL,
  updated_at TEXT NOT NULL,
  PRIMARY KEY (terminal, model));
)";

inline constexpr const char* kPostgresSchema = R"(
CREATE TABLE terminals (name TEXT PRIMARY KEY, model TEXT NOT NULL, host TEXT NOT NULL,
                        port INTEGER NOT NULL);
CREATE TABLE events (
  id BIGSERIAL PRIMARY KEY,
  terminal TEXT NOT NULL REFERENCES terminals(name),
  kind TEXT NOT NULL,
  card TEXT NOT NULL,
  occurred_at TIMESTAMP(0),
  status TEXT NOT NULL,
  raw BYTEA,
  detail TEXT NOT NULL,
  received_at TIMESTAMP(0) NOT NULL,
  source TEXT NOT NULL CHECK (source IN ('record', 'live', 'both')),
  lost BIGINT);
CREATE INDEX events_terminal_time ON events (terminal, occurred_at);
CREATE INDEX events_card_time ON events (card, occurred_at);
CREATE TABLE sync_positions (
  terminal TEXT NOT NULL REFERENCES terminals(name),
  model TEXT NOT NULL,
  start_pointer BIGINT NOT NULL, end_pointer BIGINT NOT NULL, area_end BIGINT NOT NULL,
  cycle INTEGER NOT NULL,
  stored BIGINT NOT NULL,
  updated_at TIMESTAMP(0) NOT NULL,
  PRIMARY KEY (terminal, model));
)";

}  // namespace vorskel::site
