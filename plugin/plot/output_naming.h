#pragma once
// The names and paths of the PDFs a job writes: the file-name template of a split job, names the file system
// takes, the ".pdf" rule and free paths beside existing files. Main thread, like the rest of the pipeline.

#include <cstddef>
#include <string>

#include "recognition/page_spec.h"

// A file name takes at most this many bytes (UTF-8), as every file system the host runs on allows.
inline constexpr std::size_t kVexBatchFileNameMaxBytes = 255;

// The file name of one page of a split job, without extension. The index is the page's outputIndex, or
// `runningIndex` (its 1-based place in the run) when that is 0. An empty template is "{序号}-{页面}".
[[nodiscard]] std::wstring vexBatchApplyNameTemplate(std::wstring const& nameTemplate,
                                                     VexBatchPrintPageSpec const& page, unsigned long runningIndex);
// At least three digits: 1 → "001", 1000 → "1000".
[[nodiscard]] std::wstring vexBatchFormatIndex(unsigned long index);
// Replaces every occurrence, left to right; a value that contains the token is not replaced again.
void vexBatchReplaceAll(std::wstring& text, std::wstring const& token, std::wstring const& value);
// A name the file system takes and a file browser shows: / \ : * ? " < > | and characters no file name may
// hold become "_", trailing spaces and full stops go, leading full stops become "_" (a name never hides), an
// empty name is "Layout". Long names are cut so that ".pdf" and a "-<UUID>" of a free path still fit.
[[nodiscard]] std::wstring vexBatchSafeFileName(std::wstring name);
// The path with ".pdf" appended unless it already ends in ".pdf" in any case.
[[nodiscard]] std::wstring vexBatchEnsurePdfExtension(std::wstring path);
// The path itself when overwriting or when nothing stands there; else the first free "name-2" … "name-9999",
// then "name-<UUID>", with the extension kept.
inline constexpr int kVexBatchLastNumberedPath = 9999;
[[nodiscard]] std::wstring vexBatchUniqueOutputPath(std::wstring const& path, bool overwrite);
// The path with "-<suffix>" behind its base name and the extension kept, the base cut so the name fits:
// "Plan.pdf" and "2" give "Plan-2.pdf".
[[nodiscard]] std::string vexBatchNumberedOutputPath(const std::string& path, const std::string& suffix);
