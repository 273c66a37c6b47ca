#pragma once
// Test side: puts every piece of the stand-in host back as a fresh process has it (documents closed,
// commands, reactors, records, faults, absences and scripted input gone), so a test fixture calls this one
// function. Loaded plug-in modules stay loaded and the count of strings handed out stays (tests compare it
// before and after); the main queue is foundation's to reset.

namespace cad {

void resetHostForTesting();

}  // namespace cad
