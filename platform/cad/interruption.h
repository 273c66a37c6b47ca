#pragma once
// Interrupting signals (SIGTERM, SIGINT, SIGHUP) end the host cleanly: the handler only notes the signal; a
// running plot fails at its next step and drops its work files, and the command loop then ends the session as
// QUIT would.

namespace cad {

void installInterruptionHandlers();
// The signal that asked the host to end, or 0.
int interruptionSignal();
// Test side: forget a noted signal.
void clearInterruption();

}  // namespace cad
