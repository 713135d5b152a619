// A throwaway PostgreSQL cluster: initdb into a temporary directory, served on a Unix socket
// in that directory with TCP off, run as an unprivileged user when the tests run as root
// (PostgreSQL refuses to run as root). Stopped and removed at the end.
#pragma once

#include <string>
#include <vector>

namespace vorskel::testing {

class PostgresCluster {
 public:
  // Empty when PostgreSQL's server programs are not installed.
  static std::string bin_dir();

  PostgresCluster();  // initdb and start; throws std::runtime_error on failure
  ~PostgresCluster();
  PostgresCluster(const PostgresCluster&) = delete;
  PostgresCluster& operator=(const PostgresCluster&) = delete;

  std::string url() const;
  // Rows of a query, read with libpq.
  std::vector<std::vector<std::string>> rows(const std::string& sql) const;
  void start();
  void stop();  // immediate: like a server that goes away

 private:
  int run(const std::string& program, const std::string& args) const;
  std::string dir_;
};

}  // namespace vorskel::testing
