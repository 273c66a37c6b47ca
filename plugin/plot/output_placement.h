#pragma once
// What must hold before a PDF is written: nothing stands in its place, or the user agreed to replace the file
// that does; and its folder exists. Main thread: the question is a modal alert.

#include <optional>
#include <string>

// The output path as the user gave it (typed, chosen or stored), as the file system takes it: a leading "~" is the
// home folder ("~user" that user's), "." and ".." resolved as the preflight reads them. A relative path would
// land in whatever folder the host runs in: it has no answer, and `refusal` (may be null) says so, in the
// interface language, naming the path. Every place that reads an output path reads it through this.
[[nodiscard]] std::optional<std::string> QDLAbsoluteOutputPath(const std::string& path, std::string* refusal);
// The same for a host path; a refusal goes into gBatchPrintLastError.
[[nodiscard]] std::optional<std::wstring> vexBatchAbsoluteOutputPath(std::wstring const& path);

// Whether `path` may be written. True when nothing stands there. A file there (not a folder) with `overwrite`
// set is replaced only when the user answers the alert with "Replace file"; Cancel is its default, and
// declining sets `cancelled`. Anything else standing there is refused. `error` receives the reason for the user
// in the interface language, empty when there is none. `cancelled` and `error` may be null. The answer is what
// the output's commit goes by (output_commit.h): only the file the user agreed to replace is ever replaced.
[[nodiscard]] bool QDLConfirmOutputReplacement(const std::string& path, bool overwrite, bool* cancelled,
                                               std::string* error);
// The same for a host path. On false it has written gBatchPrintLastCancelled and gBatchPrintLastError (the
// reason, or "Output conflict" when there is none).
[[nodiscard]] bool vexBatchConfirmOutputReplacement(std::wstring const& path, bool overwrite);

// Creates the folder a job writes into, with every missing folder above it: `path` itself, or the folder that
// holds it. True when it exists afterwards. An empty folder path answers false and leaves the last error as it
// is; a relative path, or a folder that cannot be made, puts the reason into gBatchPrintLastError.
[[nodiscard]] bool vexBatchEnsureOutputDirectory(std::wstring const& path, bool pathIsDirectory);
