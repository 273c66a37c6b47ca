#pragma once
// A process-wide hook that sees each call into a neighbouring service by name, in order. Nothing is traced
// while the hook is null, as it is in normal use; tests set it to observe the start-up and unload sequences.
// The hook is a plain C pointer so that a helper module of the tests can find it by name in the loaded plug-in.

extern "C" {
using QuodlCallTraceHook = void (*)(const char* name);
extern QuodlCallTraceHook gQuodlCallTrace;
}

inline void quodlTraceCall(const char* name) {
  if (gQuodlCallTrace != nullptr) gQuodlCallTrace(name);
}
