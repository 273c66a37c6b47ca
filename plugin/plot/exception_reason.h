#pragma once
// What an exception that ends plotting tells the user. Its own words as a rule; but an allocation that failed
// says "std::bad_alloc", which tells a person nothing, so memory running out is said as such.

#include <exception>
#include <string>

// The reason `exception` gives (English, as the pipeline's own texts), or `fallback` when it gives none.
[[nodiscard]] std::string vexBatchExceptionReason(const std::exception& exception, const std::string& fallback);
