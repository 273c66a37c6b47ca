#pragma once
// Path text helpers with the platform's path semantics: repeated slashes collapse and a trailing slash is
// dropped before a path is taken apart; a leading dot starts a hidden name, not an extension.

#include <string>
#include <string_view>
#include <vector>

namespace foundation {

// "/tmp/scratch.tiff" → "scratch.tiff", "/tmp/" → "tmp", "/" → "/", "" → "".
std::string lastPathComponent(std::string_view path);
// "/tmp/scratch.tiff" → "/tmp", "/tmp" → "/", "scratch" → "", "/" → "/".
std::string deletingLastPathComponent(std::string_view path);
// "a.tar.gz" → "gz"; ".bashrc", "a.", "/tmp/" → "".
std::string pathExtension(std::string_view path);
// "/tmp/a.tar.gz" → "/tmp/a.tar", ".bashrc" → ".bashrc", "a." → "a.".
std::string deletingPathExtension(std::string_view path);
// "/tmp" + "x" → "/tmp/x", "" + "PDF" → "PDF", "/tmp/" + "/x/" → "/tmp/x".
std::string appendingPathComponent(std::string_view path, std::string_view component);
// "a" + "pdf" → "a.pdf"; an empty extension leaves the path as it is (its slashes tidied).
std::string appendingPathExtension(std::string_view path, std::string_view extension);
// "/tmp//a/" → {"/", "tmp", "a"}; "a/b" → {"a", "b"}.
std::vector<std::string> pathComponents(std::string_view path);
bool isAbsolutePath(std::string_view path);

// "~" and "~/x" from the home folder, "~user/x" from that user's home; anything else unchanged.
std::string expandingTildeInPath(std::string_view path);
// Tilde expanded, "//" and "." removed, a trailing "/" dropped; in an absolute path ".." is resolved lexically
// (never above "/"); a relative path keeps its "..". Symbolic links are not followed.
std::string standardizingPath(std::string_view path);
// The standardised path made absolute (against the working folder) with every symbolic link resolved as far
// as the path exists.
std::string canonicalPath(std::string_view path);

// The user's home folder: $HOME when it is absolute, else the password database, else "/".
std::string homeDirectory();

}  // namespace foundation
