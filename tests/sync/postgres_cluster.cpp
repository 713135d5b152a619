#include "postgres_cluster.h"

#include <libpq-fe.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "support/temp_dir.h"

namespace vorskel::testing {
namespace {

constexpr const char* kUnprivilegedUser = "nobody";

}  // namespace

std::string PostgresCluster::bin_dir() {
  std::error_code ec;
  for (const char* v : {"15", "16", "17", "14", "13"}) {
    const std::string dir = std::string("/usr/lib/postgresql/") + v + "/bin";
    if (std::filesystem::exists(dir + "/pg_ctl", ec)) return dir;
  }
  return {};
}

int PostgresCluster::run(const std::string& program, const std::string& args) const {
  std::string cmd = "'" + bin_dir() + "/" + program + "' " + args + " >>'" + dir_ + "/log' 2>&1";
  if (::geteuid() == 0)
    cmd = std::string("runuser -u ") + kUnprivilegedUser + " -- sh -c \"" + cmd + "\"";
  return std::system(cmd.c_str());
}

PostgresCluster::PostgresCluster() {
  dir_ = make_temp_directory("vorskel-pg-").string();
  ::chmod(dir_.c_str(), 0777);  // the unprivileged server writes its socket and data here
  if (run("initdb", "-D '" + dir_ + "/data' -U postgres -A trust --no-sync -E UTF8") != 0)
    throw std::runtime_error("initdb failed; see " + dir_ + "/log");
  start();
}

PostgresCluster::~PostgresCluster() {
  stop();
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

std::string PostgresCluster::url() const {
  return "postgresql://postgres@/postgres?host=" + dir_;
}

std::vector<std::vector<std::string>> PostgresCluster::rows(const std::string& sql) const {
  std::vector<std::vector<std::string>> out;
  PGconn* c = PQconnectdb(url().c_str());
  if (PQstatus(c) == CONNECTION_OK) {
    PGresult* r = PQexec(c, sql.c_str());
    if (PQresultStatus(r) != PGRES_TUPLES_OK) {
      const std::string why = sql + ": " + PQerrorMessage(c);
      PQclear(r);
      PQfinish(c);
      throw std::runtime_error(why);
    }
    for (int i = 0; i < PQntuples(r); ++i) {
      std::vector<std::string> row;
      for (int j = 0; j < PQnfields(r); ++j) row.emplace_back(PQgetvalue(r, i, j));
      out.push_back(std::move(row));
    }
    PQclear(r);
  }
  PQfinish(c);
  return out;
}

void PostgresCluster::start() {
  if (run("pg_ctl", "-D '" + dir_ + "/data' -w -t 30 -l '" + dir_ + "/server.log' -o \\\"-k " +
                        dir_ + " -c listen_addresses= -c fsync=off\\\" start") != 0)
    throw std::runtime_error("pg_ctl start failed; see " + dir_ + "/log");
}

void PostgresCluster::stop() {
  run("pg_ctl", "-D '" + dir_ + "/data' -w -m immediate stop");
}

}  // namespace vorskel::testing
