// The built-in database: one SQLite file in WAL mode, so readers never block a sync and a
// killed writer leaves the last committed transaction intact.
#include <sqlite3.h>

#include <filesystem>

#include "service/database.h"
#include "service/schema.h"

namespace vorskel::site {
namespace {

constexpr int kBusyWaitMs = 2000;  // how long a locked database is waited for

class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql, const std::string& where) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK)
      throw DatabaseError(where + ": " + sqlite3_errmsg(db));
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  sqlite3_stmt* get() const { return stmt_; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

class SqliteDatabase : public Database {
 public:
  explicit SqliteDatabase(std::string file) : file_(std::move(file)) {
    std::error_code ec;
    const auto parent = std::filesystem::path(file_).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    if (sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
      const std::string why = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      throw DatabaseError(file_ + ": cannot open: " + why);
    }
    // A file that is no database, or one locked past the wait, fails here: the constructor
    // throws, so no destructor closes the handle for it.
    try {
      sqlite3_busy_timeout(db_, kBusyWaitMs);
      exec("PRAGMA journal_mode=WAL");
      exec("PRAGMA synchronous=NORMAL");
      exec("PRAGMA foreign_keys=ON");
      migrate();
    } catch (...) {
      sqlite3_close(db_);
      throw;
    }
  }
  ~SqliteDatabase() override { sqlite3_close(db_); }

  std::string describe() const override { return "sqlite:" + file_; }

  void register_terminal(const TerminalConfig& t) override {
    Statement s(db_,
                "INSERT INTO terminals (name, model, host, port) VALUES (?1, ?2, ?3, ?4) "
                "ON CONFLICT (name) DO UPDATE SET model = ?2, host = ?3, port = ?4",
                where());
    bind_text(s, 1, t.name);
    bind_text(s, 2, t.model);
    bind_text(s, 3, t.host);
    sqlite3_bind_int(s.get(), 4, t.port);
    step_done(s);
  }

  Position position(const std::string& terminal, const std::string& model) override {
    Statement s(db_,
                "SELECT start_pointer, end_pointer, area_end, cycle, stored FROM sync_positions "
                "WHERE terminal = ?1 AND model = ?2",
                where());
    bind_text(s, 1, terminal);
    bind_text(s, 2, model);
    Position p;
    const int rc = sqlite3_step(s.get());
    if (rc == SQLITE_ROW) {
      p.present = true;
      p.at.start = static_cast<std::uint32_t>(sqlite3_column_int64(s.get(), 0));
      p.at.end = static_cast<std::uint32_t>(sqlite3_column_int64(s.get(), 1));
      p.at.area_end = static_cast<std::uint32_t>(sqlite3_column_int64(s.get(), 2));
      p.at.cycle = static_cast<std::uint32_t>(sqlite3_column_int64(s.get(), 3));
      p.stored = static_cast<long>(sqlite3_column_int64(s.get(), 4));
    } else if (rc != SQLITE_DONE) {
      fail("reading the sync position");
    }
    return p;
  }

  void store(const std::string& terminal, const std::string& model,
             const std::vector<Event>& events, const Position& position) override {
    exec("BEGIN IMMEDIATE");
    try {
      const std::string now = utc_now_text();
      Statement ins(db_,
                    "INSERT INTO events (terminal, kind, card, occurred_at, status, raw, detail, "
                    "received_at, source, lost) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, "
                    "'record', ?9)",
                    where());
      for (const Event& e : events) {
        sqlite3_reset(ins.get());
        bind_text(ins, 1, terminal);
        bind_text(ins, 2, e.kind);
        bind_text(ins, 3, e.card);
        if (e.occurred_at)
          bind_text(ins, 4, *e.occurred_at);
        else
          sqlite3_bind_null(ins.get(), 4);
        bind_text(ins, 5, e.status);
        sqlite3_bind_blob(ins.get(), 6, e.raw.data(), static_cast<int>(e.raw.size()),
                          SQLITE_STATIC);
        bind_text(ins, 7, e.detail);
        bind_text(ins, 8, now);
        if (e.lost)
          sqlite3_bind_int64(ins.get(), 9, *e.lost);
        else
          sqlite3_bind_null(ins.get(), 9);
        step_done(ins);
      }
      Statement pos(db_,
                    "INSERT INTO sync_positions (terminal, model, start_pointer, end_pointer, "
                    "area_end, cycle, stored, updated_at) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, "
                    "?8) ON CONFLICT (terminal, model) DO UPDATE SET start_pointer = ?3, "
                    "end_pointer = ?4, area_end = ?5, cycle = ?6, stored = ?7, updated_at = ?8",
                    where());
      bind_text(pos, 1, terminal);
      bind_text(pos, 2, model);
      sqlite3_bind_int64(pos.get(), 3, position.at.start);
      sqlite3_bind_int64(pos.get(), 4, position.at.end);
      sqlite3_bind_int64(pos.get(), 5, position.at.area_end);
      sqlite3_bind_int64(pos.get(), 6, position.at.cycle);
      sqlite3_bind_int64(pos.get(), 7, position.stored);
      bind_text(pos, 8, now);
      step_done(pos);
      exec("COMMIT");
    } catch (...) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  }

  std::vector<std::vector<std::string>> query(const std::string& sql) override {
    Statement s(db_, sql, where());
    std::vector<std::vector<std::string>> rows;
    int rc;
    while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int i = 0; i < sqlite3_column_count(s.get()); ++i) {
        const unsigned char* t = sqlite3_column_text(s.get(), i);
        row.emplace_back(t != nullptr ? reinterpret_cast<const char*>(t) : "");
      }
      rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) fail("query");
    return rows;
  }

 private:
  std::string where() const { return file_; }
  [[noreturn]] void fail(const std::string& what) const {
    throw DatabaseError(file_ + ": " + what + ": " + sqlite3_errmsg(db_));
  }
  void exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
      const std::string why = message != nullptr ? message : sqlite3_errmsg(db_);
      sqlite3_free(message);
      throw DatabaseError(file_ + ": " + why);
    }
  }
  void bind_text(Statement& s, int index, const std::string& text) {
    sqlite3_bind_text(s.get(), index, text.c_str(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
  }
  void step_done(Statement& s) {
    if (sqlite3_step(s.get()) != SQLITE_DONE) fail("write");
  }

  // Creates the schema in an empty file; refuses a file whose schema is newer than ours.
  void migrate() {
    exec("BEGIN IMMEDIATE");
    try {
      exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
      const auto rows = query("SELECT max(version) FROM schema_version");
      const int version = rows.empty() || rows[0][0].empty() ? 0 : std::stoi(rows[0][0]);
      if (version > kSchemaVersion)
        throw DatabaseError(file_ + ": schema version " + std::to_string(version) +
                            " is newer than this program's " + std::to_string(kSchemaVersion));
      if (version < 1) {
        exec(schema_sql(kSqlite).c_str());
        exec("INSERT INTO schema_version (version) VALUES (1)");
      }
      exec("COMMIT");
    } catch (...) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  }

  std::string file_;
  sqlite3* db_ = nullptr;
};

}  // namespace

std::unique_ptr<Database> open_sqlite(const std::string& file) {
  return std::make_unique<SqliteDatabase>(file);
}

}  // namespace vorskel::site
