// The command line's own conventions: `help CMD`, the nearest command for a misspelt one,
// and a failed write to standard output told as a failure.
#pragma once

#include <CLI/CLI.hpp>

namespace vorskel::cli {

// `vorskel help [COMMAND...]`: the help of that command (of the tool without one).
void add_help_command(CLI::App& app);

// Prints the parse error (with the nearest command when a word names none) and returns the
// exit code: 0 for --help and --version, else the usage code.
int report_parse_error(CLI::App& app, const CLI::ParseError& e, int argc, char** argv);

// Throws a file Failure when anything written to standard output was lost (a full disk, a
// closed pipe).
void check_standard_output();

// The candidate closest to word by edit distance, or "" when none is close.
std::string nearest(const std::string& word, const std::vector<std::string>& candidates);

}  // namespace vorskel::cli
