// Runs vorskel-sim as a separate process on 127.0.0.1 for the benchmarks, so the terminal's
// work does not share the benchmark's process.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace vorskel::bench {

class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> extra_args = {}) {
    char tmpl[] = "/tmp/vorskel-bench-XXXXXX";
    if (::mkdtemp(tmpl) == nullptr) throw std::runtime_error("mkdtemp failed");
    dir_ = tmpl;
    const std::string port_file = dir_ + "/port";
    std::vector<std::string> args = {VORSKEL_SIM_PATH, "--port",       "0",   "--port-file",
                                     port_file,        "--duration-s", "600", "--quiet-requests"};
    args.insert(args.end(), extra_args.begin(), extra_args.end());
    pid_ = ::fork();
    if (pid_ == 0) {
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      std::freopen("/dev/null", "w", stdout);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    for (int i = 0; i < 400 && port_ == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      std::ifstream in(port_file);
      in >> port_;
    }
    if (port_ == 0) throw std::runtime_error("vorskel-sim did not start");
  }
  ~SimProcess() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    std::remove((dir_ + "/port").c_str());
    ::rmdir(dir_.c_str());
  }
  int port() const { return port_; }

 private:
  std::string dir_;
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace vorskel::bench
