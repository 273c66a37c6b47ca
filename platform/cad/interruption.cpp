#include "cad/interruption.h"

#include <signal.h>

#include <initializer_list>

namespace cad {
namespace {

volatile sig_atomic_t gSignal = 0;

extern "C" void noteSignal(int signal) { gSignal = signal; }

}  // namespace

void installInterruptionHandlers() {
  struct sigaction action {};
  action.sa_handler = noteSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a read waiting for the next command line returns, so the session sees the signal at once.
  action.sa_flags = 0;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

int interruptionSignal() { return gSignal; }

void clearInterruption() { gSignal = 0; }

}  // namespace cad
