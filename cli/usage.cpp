#include "cli/usage.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/commands.h"
#include "cli/errors.h"

namespace vorskel::cli {
namespace {

std::size_t distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t up = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = up;
    }
  }
  return row[b.size()];
}

CLI::App* find_command(CLI::App& app, const std::string& name) {
  for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; }))
    if (sub->check_name(name)) return sub;
  return nullptr;
}

std::vector<std::string> command_names(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
    names.push_back(sub->get_name());
  return names;
}

// The first word that should have named a command of the one before it: options and their
// values are passed over, and a command's own positionals end the search.
const char* unknown_command(CLI::App& app, int argc, char** argv, CLI::App** parent) {
  CLI::App* at = &app;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word.rfind("-", 0) == 0) {
      const std::string name = word.substr(0, word.find('='));
      const CLI::Option* opt = at->get_option_no_throw(name);
      if (opt == nullptr) opt = app.get_option_no_throw(name);
      if (opt != nullptr && word.find('=') == std::string::npos &&
          opt->get_items_expected_max() > 0)
        ++i;  // the option's value
      continue;
    }
    if (command_names(*at).empty()) return nullptr;  // a positional of a command
    CLI::App* sub = find_command(*at, word);
    if (sub == nullptr) {
      *parent = at;
      return argv[i];
    }
    at = sub;
  }
  return nullptr;
}

std::string path_of(const CLI::App* app) {
  std::string path;
  for (; app != nullptr && app->get_parent() != nullptr; app = app->get_parent())
    path = app->get_name() + (path.empty() ? "" : " " + path);
  return path;
}

}  // namespace

std::string nearest(const std::string& word, const std::vector<std::string>& candidates) {
  std::string best;
  std::size_t best_distance = std::max<std::size_t>(2, word.size() / 3) + 1;
  for (const auto& c : candidates) {
    const std::size_t d = distance(word, c);
    if (d < best_distance) {
      best_distance = d;
      best = c;
    }
  }
  return best;
}

void add_help_command(CLI::App& app) {
  static std::vector<std::string> words;
  auto* help =
      app.add_subcommand("help", "Show the help of a command: vorskel help records download");
  help->add_option("command", words, "the command's words");
  CLI::App* root = &app;
  static Options unused;
  on_run(help, unused, [root](const Options&) {
    CLI::App* at = root;
    for (const auto& w : words) {
      CLI::App* sub = find_command(*at, w);
      if (sub == nullptr) {
        const std::string close = nearest(w, command_names(*at));
        throw std::invalid_argument("no command '" + w + "'" +
                                    (close.empty() ? "" : "; did you mean '" + close + "'?"));
      }
      at = sub;
    }
    std::fputs(at->help().c_str(), stdout);
  });
}

int report_parse_error(CLI::App& app, const CLI::ParseError& e, int argc, char** argv) {
  if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
    app.exit(e);
    return kExitOk;
  }
  CLI::App* parent = nullptr;
  if (const char* word = unknown_command(app, argc, argv, &parent)) {
    const std::string close = nearest(word, command_names(*parent));
    const std::string where = path_of(parent);
    std::fprintf(stderr, "vorskel: '%s' is not a command%s%s%s\n", word,
                 where.empty() ? "" : (" of '" + where + "'").c_str(),
                 close.empty() ? "" : "; did you mean '",
                 close.empty() ? "" : (close + "'?").c_str());
    std::fprintf(stderr, "Commands: vorskel help%s\n", where.empty() ? "" : (" " + where).c_str());
    return kExitUsage;
  }
  app.exit(e);
  return kExitUsage;
}

void check_standard_output() {
  errno = 0;
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return;
  const int error = errno;
  throw Failure(kExitFile, std::string("standard output: ") +
                               (error != 0 ? std::strerror(error) : "write failed") +
                               " (the output is incomplete)");
}

}  // namespace vorskel::cli
