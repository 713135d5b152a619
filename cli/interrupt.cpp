#include "cli/interrupt.h"

#include <csignal>

namespace vorskel::cli {
namespace {

volatile std::sig_atomic_t g_raised = 0;
struct sigaction g_previous_int {};
struct sigaction g_previous_term {};

void on_signal(int) {
  g_raised = 1;
}

}  // namespace

InterruptFlag::InterruptFlag() {
  g_raised = 0;
  struct sigaction sa {};
  sa.sa_handler = on_signal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;  // the page in flight completes; the loop stops after it
  sigaction(SIGINT, &sa, &g_previous_int);
  sigaction(SIGTERM, &sa, &g_previous_term);
}

InterruptFlag::~InterruptFlag() {
  sigaction(SIGINT, &g_previous_int, nullptr);
  sigaction(SIGTERM, &g_previous_term, nullptr);
}

bool InterruptFlag::raised() const {
  return g_raised != 0;
}

}  // namespace vorskel::cli
