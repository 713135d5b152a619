// Runs the vorskel tool as a separate process, the way people run it, and collects what it
// printed and its exit code.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vorskel {

struct ToolRun {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Runs the tool in dir with stdout captured (and stderr, into dir/.stderr).
inline ToolRun run_tool(const std::string& args, const std::filesystem::path& dir) {
  const std::filesystem::path err_file = dir.parent_path() / (dir.filename().string() + ".stderr");
  const std::string cmd = "cd '" + dir.string() + "' && '" + VORSKEL_CLI_PATH + "' " + args +
                          " 2>'" + err_file.string() + "'";
  ToolRun r;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return r;
  std::array<char, 4096> buf;
  std::size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
  const int status = ::pclose(p);
  r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(err_file);
  std::stringstream ss;
  ss << in.rdbuf();
  r.err = ss.str();
  std::filesystem::remove(err_file);
  return r;
}

inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

}  // namespace vorskel
