#include "core/work_active.h"

namespace {

bool (*gWorkActiveTest)() = nullptr;

}  // namespace

bool vexBatchPrintWorkActive() { return gWorkActiveTest != nullptr && gWorkActiveTest(); }

void vexBatchInstallWorkActiveTest(bool (*test)()) { gWorkActiveTest = test; }
