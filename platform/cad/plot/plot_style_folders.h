#pragma once
// Where the host finds plot-style tables: the folders of the environment value "PrinterStyleSheetDir"
// (separated by ";"; parts that are not absolute paths are skipped). A table is listed by its file name.

#include <optional>
#include <string>
#include <vector>

namespace cad {

std::vector<std::string> plotStyleFolders();
// The .ctb and .stb file names (any letter case) of every folder in turn, each name once (the first
// folder's file wins), sorted within a folder by name.
std::vector<std::wstring> plotStyleFileNames();
// The path of the table listed under this name (ignoring case); nullopt when none is listed.
std::optional<std::string> plotStyleFilePath(const std::wstring& name);

}  // namespace cad
