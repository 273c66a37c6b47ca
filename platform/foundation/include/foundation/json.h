#pragma once
// JSON through nlohmann-json, with failures as results. Include this only where JSON is used: it brings in
// the whole nlohmann header.
//
// Written JSON is pretty-printed with a 2-space indent, keys sorted, and a trailing newline. The typed readers
// keep kinds apart: a boolean is never a number, a number never a boolean, and a text is never either.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "foundation/files.h"

namespace foundation {

using Json = nlohmann::json;

inline constexpr std::size_t kJsonMaxDepth = 256;
inline constexpr std::size_t kJsonMaxFileBytes = 64u * 1024u * 1024u;

struct JsonResult {
  bool ok = true;
  Json value;
  std::string error;
  explicit operator bool() const noexcept { return ok; }
};

struct JsonText {
  bool ok = true;
  std::string text;
  std::string error;
  explicit operator bool() const noexcept { return ok; }
};

// Damaged text, invalid UTF-8 and nesting deeper than kJsonMaxDepth are errors, never exceptions.
JsonResult parseJson(std::string_view text);
JsonResult readJsonFile(const std::string& path, std::size_t maxBytes = kJsonMaxFileBytes);
// Fails on values JSON cannot hold (NaN, infinities), texts that are not valid UTF-8 and too deep nesting.
JsonText serializeJson(const Json& value);
// Serialises and writes atomically (files.h); nothing is written when serialising fails.
FileResult writeJsonFile(const std::string& path, const Json& value);

// Typed readers of one value.
std::optional<bool> jsonBool(const Json& value);
// An integral number: an integer, or a floating value with no fraction, within the signed 64-bit range.
std::optional<std::int64_t> jsonInteger(const Json& value);
// Any number, integral or not.
std::optional<double> jsonNumber(const Json& value);
std::optional<std::string> jsonString(const Json& value);
// An array whose every element is a text.
std::optional<std::vector<std::string>> jsonStringArray(const Json& value);

// The member `key` of an object; nullptr when `object` is not an object or has no such member.
const Json* jsonMember(const Json& object, std::string_view key);
// Typed readers of a member: std::nullopt when absent or of another kind.
std::optional<bool> jsonBool(const Json& object, std::string_view key);
std::optional<std::int64_t> jsonInteger(const Json& object, std::string_view key);
std::optional<double> jsonNumber(const Json& object, std::string_view key);
std::optional<std::string> jsonString(const Json& object, std::string_view key);
std::optional<std::vector<std::string>> jsonStringArray(const Json& object, std::string_view key);

}  // namespace foundation
