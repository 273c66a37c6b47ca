#include "plot/exception_reason.h"

#include <new>

std::string vexBatchExceptionReason(const std::exception& exception, const std::string& fallback) {
  if (dynamic_cast<const std::bad_alloc*>(&exception) != nullptr) {
    return "There is not enough memory to finish the plot; close other drawings or programs and try again";
  }
  const std::string text = exception.what();
  return text.empty() ? fallback : text;
}
