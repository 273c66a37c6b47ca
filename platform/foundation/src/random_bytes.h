#pragma once
// Unpredictable bytes for identifiers and temporary names.

#include <cstddef>

namespace foundation::random_detail {

void fillRandom(void* buffer, std::size_t size) noexcept;

}  // namespace foundation::random_detail
