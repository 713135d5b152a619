// The site's configuration file (TOML): its database and the terminals it syncs, each
// under a name every command accepts in place of HOST[:PORT].
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace vorskel::site {

struct TerminalConfig {
  std::string name;
  std::string model = "vorsk";  // a record model of `vorskel records download --model`
  std::string host;
  int port = 5200;
  bool clear_after_sync = false;  // clear the terminal's records once they are stored
  int poll_interval_s = 60;       // for the service: seconds between syncs
  int retries = 5;                // further attempts per page or query before giving up
  int timeout_ms = 1000;          // receive time-out of each attempt
  int backoff_ms = 50;            // pause before the first retry, doubled up to 1 s
};

struct SiteConfig {
  std::string path;          // the file read, empty when there was none
  std::string database_url;  // "sqlite:FILE" or "postgresql://..."
  int batch_pages = 64;      // pages of records committed per database transaction
  std::vector<TerminalConfig> terminals;

  // nullptr when no terminal has this name.
  const TerminalConfig* find(const std::string& name) const;
};

// "FILE:LINE: KEY: what is wrong".
class ConfigError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// $VORSKEL_CONFIG, else $XDG_CONFIG_HOME/vorskel/site.toml (~/.config/vorskel/site.toml).
std::string default_config_path();
// $XDG_DATA_HOME/vorskel (~/.local/share/vorskel): the built-in database's folder.
std::string default_data_dir();

// Reads and checks the file. A relative SQLite path is taken from the file's folder.
SiteConfig load_config(const std::string& path);
// The file if it exists; otherwise a configuration with no terminals and the default
// database (when the path is the default one) or a ConfigError (a path the user named).
SiteConfig load_config_or_default(const std::string& path, bool named_by_user);

}  // namespace vorskel::site
