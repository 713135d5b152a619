// PostgreSQL for larger sites, through libpq. A batch of events goes in with one COPY inside
// the transaction that also moves the sync position: one round trip per batch, not per row.
#include <libpq-fe.h>

#include <memory>

#include "service/database.h"
#include "service/schema.h"

namespace vorskel::site {
namespace {

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

// COPY's text format: backslash escapes for the characters that delimit fields and rows.
void copy_text(std::string& out, const std::string& text) {
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
}

void copy_bytes(std::string& out, const std::vector<std::uint8_t>& bytes) {
  static const char kHex[] = "0123456789abcdef";
  out += "\\\\x";
  for (const std::uint8_t b : bytes) {
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
}

class PostgresDatabase : public Database {
 public:
  explicit PostgresDatabase(const std::string& url) : url_(url), conn_(PQconnectdb(url.c_str())) {
    if (conn_ == nullptr || PQstatus(conn_) != CONNECTION_OK) {
      const std::string why = conn_ != nullptr ? PQerrorMessage(conn_) : "out of memory";
      PQfinish(conn_);
      conn_ = nullptr;
      throw DatabaseError(describe() + ": cannot connect: " + trimmed(why));
    }
    // A failure here throws from the constructor, so no destructor closes the connection.
    try {
      exec("SET client_min_messages = warning");
      exec("SET TIME ZONE 'UTC'");
      migrate();
    } catch (...) {
      PQfinish(conn_);
      throw;
    }
  }
  ~PostgresDatabase() override { PQfinish(conn_); }

  std::string describe() const override {
    // The URL without a password.
    const auto at = url_.find('@');
    const auto colon = url_.find(':', url_.find("//") + 2);
    if (at != std::string::npos && colon < at) return url_.substr(0, colon) + url_.substr(at);
    return url_;
  }

  void register_terminal(const TerminalConfig& t) override {
    const std::string port = std::to_string(t.port);
    params(
        "INSERT INTO terminals (name, model, host, port) VALUES ($1, $2, $3, $4) "
        "ON CONFLICT (name) DO UPDATE SET model = $2, host = $3, port = $4",
        {t.name, t.model, t.host, port});
  }

  Position position(const std::string& terminal, const std::string& model) override {
    Result r = params(
        "SELECT start_pointer, end_pointer, area_end, cycle, stored FROM sync_positions "
        "WHERE terminal = $1 AND model = $2",
        {terminal, model});
    Position p;
    if (PQntuples(r.get()) == 1) {
      p.present = true;
      p.at.start = static_cast<std::uint32_t>(std::stoul(PQgetvalue(r.get(), 0, 0)));
      p.at.end = static_cast<std::uint32_t>(std::stoul(PQgetvalue(r.get(), 0, 1)));
      p.at.area_end = static_cast<std::uint32_t>(std::stoul(PQgetvalue(r.get(), 0, 2)));
      p.at.cycle = static_cast<std::uint32_t>(std::stoul(PQgetvalue(r.get(), 0, 3)));
      p.stored = std::stol(PQgetvalue(r.get(), 0, 4));
    }
    return p;
  }

  void store(const std::string& terminal, const std::string& model,
             const std::vector<Event>& events, const Position& position) override {
    exec("BEGIN");
    try {
      const std::string now = utc_now_text();
      if (!events.empty()) copy_events(terminal, events, now);
      params(
          "INSERT INTO sync_positions (terminal, model, start_pointer, end_pointer, area_end, "
          "cycle, stored, updated_at) VALUES ($1, $2, $3, $4, $5, $6, $7, $8) "
          "ON CONFLICT (terminal, model) DO UPDATE SET start_pointer = $3, end_pointer = $4, "
          "area_end = $5, cycle = $6, stored = $7, updated_at = $8",
          {terminal, model, std::to_string(position.at.start), std::to_string(position.at.end),
           std::to_string(position.at.area_end), std::to_string(position.at.cycle),
           std::to_string(position.stored), now});
      exec("COMMIT");
    } catch (...) {
      if (PQstatus(conn_) == CONNECTION_OK) PQclear(PQexec(conn_, "ROLLBACK"));
      throw;
    }
  }

  std::vector<std::vector<std::string>> query(const std::string& sql) override {
    Result r = exec(sql);
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < PQntuples(r.get()); ++i) {
      std::vector<std::string> row;
      for (int j = 0; j < PQnfields(r.get()); ++j) row.emplace_back(PQgetvalue(r.get(), i, j));
      rows.push_back(std::move(row));
    }
    return rows;
  }

 private:
  static std::string trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
  }
  [[noreturn]] void fail(const std::string& what) const {
    throw DatabaseError(describe() + ": " + what + ": " + trimmed(PQerrorMessage(conn_)));
  }
  Result check(PGresult* raw, const char* what) {
    Result r(raw, &PQclear);
    const auto status = PQresultStatus(r.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail(what);
    return r;
  }
  Result exec(const std::string& sql) { return check(PQexec(conn_, sql.c_str()), "query"); }
  Result params(const char* sql, const std::vector<std::string>& values) {
    std::vector<const char*> p;
    for (const auto& v : values) p.push_back(v.c_str());
    return check(PQexecParams(conn_, sql, static_cast<int>(p.size()), nullptr, p.data(), nullptr,
                              nullptr, 0),
                 "query");
  }

  void copy_events(const std::string& terminal, const std::vector<Event>& events,
                   const std::string& now) {
    Result start(PQexec(conn_,
                        "COPY events (terminal, kind, card, occurred_at, status, raw, detail, "
                        "received_at, source, lost) FROM STDIN"),
                 &PQclear);
    if (PQresultStatus(start.get()) != PGRES_COPY_IN) fail("storing events");
    std::string data;
    for (const Event& e : events) {
      copy_text(data, terminal);
      data += '\t';
      copy_text(data, e.kind);
      data += '\t';
      copy_text(data, e.card);
      data += '\t';
      if (e.occurred_at)
        copy_text(data, *e.occurred_at);
      else
        data += "\\N";
      data += '\t';
      copy_text(data, e.status);
      data += '\t';
      copy_bytes(data, e.raw);
      data += '\t';
      copy_text(data, e.detail);
      data += '\t';
      data += now;
      data += "\trecord\t";
      data += e.lost ? std::to_string(*e.lost) : "\\N";
      data += '\n';
    }
    if (PQputCopyData(conn_, data.data(), static_cast<int>(data.size())) != 1 ||
        PQputCopyEnd(conn_, nullptr) != 1)
      fail("storing events");
    check(PQgetResult(conn_), "storing events");
    while (PGresult* extra = PQgetResult(conn_)) PQclear(extra);
  }

  // Creates the schema in an empty database under an advisory lock, so two tools starting
  // at once do not both create it.
  void migrate() {
    exec("BEGIN");
    try {
      exec("SELECT pg_advisory_xact_lock(7305142)");
      exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
      Result r = exec("SELECT coalesce(max(version), 0) FROM schema_version");
      const int version = std::stoi(PQgetvalue(r.get(), 0, 0));
      if (version > kSchemaVersion)
        throw DatabaseError(describe() + ": schema version " + std::to_string(version) +
                            " is newer than this program's " + std::to_string(kSchemaVersion));
      if (version < 1) {
        exec(schema_sql(kPostgres));
        exec("INSERT INTO schema_version (version) VALUES (1)");
      }
      exec("COMMIT");
    } catch (...) {
      if (PQstatus(conn_) == CONNECTION_OK) PQclear(PQexec(conn_, "ROLLBACK"));
      throw;
    }
  }

  std::string url_;
  PGconn* conn_;
};

}  // namespace

std::unique_ptr<Database> open_postgres(const std::string& url) {
  return std::make_unique<PostgresDatabase>(url);
}

}  // namespace vorskel::site
