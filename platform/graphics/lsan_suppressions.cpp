// Sanitized builds only. Fontconfig keeps its patterns behind offset-encoded pointers, which the leak checker
// cannot follow, so every process that lays out text would report Pango's font caches as leaked; and finishing a
// PDF with embedded font subsets loses a buffer inside cairo itself (its stack shows only cairo's library, so the
// whole library is named). Each program that links the drawing library carries this list (weak, so that a program
// may bring its own).

extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libpangoft2-1.0.so\n"
         "leak:libcairo.so\n";
}

extern "C" __attribute__((weak)) const char* __lsan_default_options() { return "print_suppressions=0"; }
