#include "service/site_config.h"

#include <toml++/toml.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "service/record_models.h"

namespace vorskel::site {
namespace {

namespace fs = std::filesystem;

std::string env_or(const char* name, const std::string& fallback) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' ? std::string(v) : fallback;
}

std::string home() {
  return env_or("HOME", ".");
}

[[noreturn]] void fail(const std::string& file, const toml::source_region& where,
                       const std::string& key, const std::string& message) {
  throw ConfigError(file + ":" + std::to_string(where.begin.line) + ": " + key + ": " + message);
}

class Reader {
 public:
  Reader(std::string file, const toml::table& table, std::string prefix)
      : file_(std::move(file)), table_(table), prefix_(std::move(prefix)) {}

  std::string text(const char* key, const std::string& fallback, bool required = false) {
    const toml::node* n = node(key, required);
    if (n == nullptr) return fallback;
    if (!n->is_string()) fail(file_, n->source(), prefix_ + key, "expected a text in quotes");
    return **n->as_string();
  }
  int number(const char* key, int fallback, long low, long high) {
    const toml::node* n = node(key, false);
    if (n == nullptr) return fallback;
    if (!n->is_integer()) fail(file_, n->source(), prefix_ + key, "expected a whole number");
    const long v = static_cast<long>(**n->as_integer());
    if (v < low || v > high)
      fail(file_, n->source(), prefix_ + key,
           std::to_string(v) + " is out of range " + std::to_string(low) + "-" +
               std::to_string(high));
    return static_cast<int>(v);
  }
  bool flag(const char* key, bool fallback) {
    const toml::node* n = node(key, false);
    if (n == nullptr) return fallback;
    if (!n->is_boolean()) fail(file_, n->source(), prefix_ + key, "expected true or false");
    return **n->as_boolean();
  }
  // Keys this reader was not asked about are mistakes (a misspelt key would be ignored).
  void refuse_unknown(const std::set<std::string>& known) const {
    for (const auto& [k, v] : table_)
      if (known.count(std::string(k.str())) == 0)
        fail(file_, v.source(), prefix_ + std::string(k.str()), "unknown key");
  }
  [[noreturn]] void refuse(const char* key, const std::string& message) const {
    const toml::node* n = table_.get(key);
    fail(file_, n != nullptr ? n->source() : table_.source(), prefix_ + key, message);
  }

 private:
  const toml::node* node(const char* key, bool required) const {
    const toml::node* n = table_.get(key);
    if (n == nullptr && required) fail(file_, table_.source(), prefix_ + key, "missing");
    return n;
  }
  std::string file_;
  const toml::table& table_;
  std::string prefix_;
};

TerminalConfig read_terminal(const std::string& file, const toml::table& t, std::size_t index,
                             const TerminalConfig& defaults) {
  Reader r(file, t, "terminal[" + std::to_string(index) + "].");
  r.refuse_unknown({"name", "model", "host", "port", "clear_after_sync", "poll_interval", "retries",
                    "timeout_ms", "backoff_ms"});
  TerminalConfig c = defaults;
  c.name = r.text("name", "", true);
  if (c.name.empty() || c.name.find_first_of(": /") != std::string::npos)
    r.refuse("name", "a name is one word without ':', '/' or spaces");
  c.model = r.text("model", c.model);
  const RecordModel* model = find_record_model(c.model);
  if (model == nullptr) r.refuse("model", "unknown record model '" + c.model + "'");
  c.host = r.text("host", "", true);
  c.port = r.number("port", c.port, 1, 65535);
  c.clear_after_sync = r.flag("clear_after_sync", c.clear_after_sync);
  if (c.clear_after_sync && model->clear == nullptr)
    r.refuse("clear_after_sync", "model '" + c.model + "' has no record clear");
  c.poll_interval_s = r.number("poll_interval", c.poll_interval_s, 1, 86400);
  c.retries = r.number("retries", c.retries, 0, 100);
  c.timeout_ms = r.number("timeout_ms", c.timeout_ms, 10, 60000);
  c.backoff_ms = r.number("backoff_ms", c.backoff_ms, 0, 10000);
  return c;
}

}  // namespace

const TerminalConfig* SiteConfig::find(const std::string& name) const {
  for (const auto& t : terminals)
    if (t.name == name) return &t;
  return nullptr;
}

std::string default_config_path() {
  const std::string named = env_or("VORSKEL_CONFIG", "");
  if (!named.empty()) return named;
  return env_or("XDG_CONFIG_HOME", home() + "/.config") + "/vorskel/site.toml";
}

std::string default_data_dir() {
  return env_or("XDG_DATA_HOME", home() + "/.local/share") + "/vorskel";
}

SiteConfig load_config(const std::string& path) {
  toml::table root;
  try {
    root = toml::parse_file(path);
  } catch (const toml::parse_error& e) {
    throw ConfigError(path + ":" + std::to_string(e.source().begin.line) + ": " +
                      std::string(e.description()));
  }
  SiteConfig config;
  config.path = path;
  Reader top(path, root, "");
  top.refuse_unknown({"database", "sync", "terminal", "service"});

  const toml::table* db = root["database"].as_table();
  if (root.contains("database") && db == nullptr) top.refuse("database", "expected a table");
  std::string url = "sqlite:" + default_data_dir() + "/site.db";
  if (db != nullptr) {
    Reader r(path, *db, "database.");
    r.refuse_unknown({"url", "batch_pages"});
    url = r.text("url", url);
    if (url.rfind("sqlite:", 0) != 0 && url.rfind("postgresql://", 0) != 0 &&
        url.rfind("postgres://", 0) != 0)
      r.refuse("url", "expected sqlite:FILE or postgresql://...");
    config.batch_pages = r.number("batch_pages", config.batch_pages, 1, 100000);
  }
  if (url.rfind("sqlite:", 0) == 0) {
    fs::path file = url.substr(7);
    if (file.is_relative()) file = fs::absolute(path).parent_path() / file;
    url = "sqlite:" + file.lexically_normal().string();
  }
  config.database_url = url;

  TerminalConfig defaults;
  if (const toml::table* sync = root["sync"].as_table()) {
    Reader r(path, *sync, "sync.");
    r.refuse_unknown({"retries", "timeout_ms", "backoff_ms"});
    defaults.retries = r.number("retries", defaults.retries, 0, 100);
    defaults.timeout_ms = r.number("timeout_ms", defaults.timeout_ms, 10, 60000);
    defaults.backoff_ms = r.number("backoff_ms", defaults.backoff_ms, 0, 10000);
  }
  if (root.contains("terminal")) {
    const toml::array* list = root["terminal"].as_array();
    if (list == nullptr) top.refuse("terminal", "expected [[terminal]] tables");
    std::set<std::string> names;
    for (std::size_t i = 0; i < list->size(); ++i) {
      const toml::table* t = list->get(i)->as_table();
      if (t == nullptr) fail(path, list->get(i)->source(), "terminal", "expected a table");
      TerminalConfig c = read_terminal(path, *t, i, defaults);
      if (!names.insert(c.name).second)
        fail(path, t->source(), "terminal[" + std::to_string(i) + "].name",
             "'" + c.name + "' is named twice");
      config.terminals.push_back(std::move(c));
    }
  }
  return config;
}

SiteConfig load_config_or_default(const std::string& path, bool named_by_user) {
  std::error_code ec;
  if (fs::exists(path, ec) || named_by_user) return load_config(path);
  SiteConfig config;
  config.database_url = "sqlite:" + default_data_dir() + "/site.db";
  return config;
}

}  // namespace vorskel::site
