#pragma once
// The counters of the last layout and model-space scans and the two recognition options, as one nested
// dictionary {"layout": {...}, "model": {...}, "options": {...}} for the diagnostics file.

#include <nlohmann/json_fwd.hpp>

[[nodiscard]] nlohmann::json vexBatchRecognitionDiagnosticsDictionary();
