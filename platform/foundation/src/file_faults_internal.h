#pragma once
// Consulted by the file services before each system call of a kind.

#include "foundation/file_faults.h"

namespace foundation::file_faults_detail {

// The errno to fail with now, or 0 to go ahead.
int take(FileOperation operation) noexcept;

}  // namespace foundation::file_faults_detail
