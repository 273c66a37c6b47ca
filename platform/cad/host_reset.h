#pragma once
// Test side: puts every piece of the stand-in host back as a fresh process has it (documents closed,
// commands, reactors, records, faults and scripted input gone). Loaded plug-in modules stay loaded.

namespace cad {

void resetHostForTesting();

}  // namespace cad
