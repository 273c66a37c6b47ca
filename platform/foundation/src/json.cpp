#include "foundation/json.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "foundation/text.h"

namespace foundation {
namespace {

// nlohmann's parser is iterative but its writer and destructor recurse, so depth is checked before parsing.
bool nestedTooDeep(std::string_view text, std::size_t limit) {
  std::size_t depth = 0;
  bool inString = false, escaped = false;
  for (char c : text) {
    if (inString) {
      if (escaped) escaped = false;
      else if (c == '\\') escaped = true;
      else if (c == '"') inString = false;
      continue;
    }
    if (c == '"') inString = true;
    else if (c == '[' || c == '{') {
      if (++depth > limit) return true;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return false;
}

// Checks what the writer cannot express, without recursion.
std::optional<std::string> unwritable(const Json& root) {
  std::vector<std::pair<const Json*, std::size_t>> stack{{&root, 1}};
  while (!stack.empty()) {
    const auto [value, depth] = stack.back();
    stack.pop_back();
    if (depth > kJsonMaxDepth) return "JSON value nested deeper than " + std::to_string(kJsonMaxDepth) + " levels";
    if (value->is_number_float() && !std::isfinite(value->get<double>())) return "JSON cannot hold NaN or infinity";
    if (value->is_structured()) {
      for (const Json& child : *value) stack.emplace_back(&child, depth + 1);
    }
  }
  return std::nullopt;
}

std::string withoutExceptionPrefix(const char* what) {
  std::string text = what;
  if (text.rfind("[json.exception.", 0) == 0) {
    const std::size_t end = text.find("] ");
    if (end != std::string::npos) text.erase(0, end + 2);
  }
  return text;
}

// The parser quotes the token it stopped in ("last read: '…'", "number overflow parsing '…'"), which can be as
// long as the text: only its start and its length are kept.
std::string withShortToken(const std::string& message) {
  constexpr std::size_t kShown = 40;
  std::size_t start = std::string::npos;
  for (std::string_view marker : {"; last read: '", "parsing '"}) {
    const std::size_t at = message.find(marker);
    if (at != std::string::npos) start = std::min(start, at + marker.size());
  }
  if (start == std::string::npos) return message;
  // The token ends where a short "; expected …" begins, else at the closing quote or the end.
  std::size_t end = message.rfind("'; expected ");
  if (end == std::string::npos || end < start || message.size() - end > 120) {
    end = message.size() - (message.back() == '\'' ? 1 : 0);
  }
  if (end < start || end - start <= kShown) return message;
  return message.substr(0, start) + sanitizedUtf8(std::string_view(message).substr(start, kShown)) + "…' (" +
         std::to_string(end - start) + " bytes)" + message.substr(std::min(end + 1, message.size()));
}

}  // namespace

JsonResult parseJson(std::string_view text) {
  JsonResult result;
  if (nestedTooDeep(text, kJsonMaxDepth)) {
    result.ok = false;
    result.error = "JSON nested deeper than " + std::to_string(kJsonMaxDepth) + " levels";
    return result;
  }
  try {
    result.value = Json::parse(text.begin(), text.end());
  } catch (const std::exception& e) {
    result.ok = false;
    result.value = Json();
    result.error = "Damaged JSON: " + withShortToken(withoutExceptionPrefix(e.what()));
  }
  return result;
}

JsonResult readJsonFile(const std::string& path, std::size_t maxBytes) {
  const ReadResult read = readFile(path, maxBytes);
  if (!read) return JsonResult{false, Json(), read.error};
  JsonResult parsed = parseJson(read.data);
  if (!parsed) parsed.error = "\"" + path + "\": " + parsed.error;
  return parsed;
}

JsonText serializeJson(const Json& value) {
  JsonText result;
  if (auto problem = unwritable(value)) {
    result.ok = false;
    result.error = std::move(*problem);
    return result;
  }
  try {
    result.text = value.dump(2, ' ', false, Json::error_handler_t::strict);
    result.text += '\n';
  } catch (const std::exception& e) {
    result.ok = false;
    result.text.clear();
    result.error = "Cannot write JSON: " + withoutExceptionPrefix(e.what());
  }
  return result;
}

FileResult writeJsonFile(const std::string& path, const Json& value) {
  const JsonText text = serializeJson(value);
  if (!text) return FileResult::failure(EINVAL, "Cannot write \"" + path + "\": " + text.error);
  return writeFileAtomically(path, text.text);
}

std::optional<bool> jsonBool(const Json& value) {
  if (!value.is_boolean()) return std::nullopt;
  return value.get<bool>();
}

std::optional<std::int64_t> jsonInteger(const Json& value) {
  if (value.is_number_integer() && !value.is_number_unsigned()) return value.get<std::int64_t>();
  if (value.is_number_unsigned()) {
    const auto u = value.get<std::uint64_t>();
    if (u > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
    return static_cast<std::int64_t>(u);
  }
  if (value.is_number_float()) {
    const double d = value.get<double>();
    if (!std::isfinite(d) || std::trunc(d) != d || d < -9223372036854775808.0 || d >= 9223372036854775808.0) {
      return std::nullopt;
    }
    return static_cast<std::int64_t>(d);
  }
  return std::nullopt;
}

std::optional<double> jsonNumber(const Json& value) {
  if (!value.is_number()) return std::nullopt;
  return value.get<double>();
}

std::optional<std::string> jsonString(const Json& value) {
  if (!value.is_string()) return std::nullopt;
  return value.get<std::string>();
}

std::optional<std::vector<std::string>> jsonStringArray(const Json& value) {
  if (!value.is_array()) return std::nullopt;
  std::vector<std::string> out;
  out.reserve(value.size());
  for (const Json& element : value) {
    if (!element.is_string()) return std::nullopt;
    out.push_back(element.get<std::string>());
  }
  return out;
}

const Json* jsonMember(const Json& object, std::string_view key) {
  if (!object.is_object()) return nullptr;
  const auto found = object.find(key);
  return found == object.end() ? nullptr : &*found;
}

std::optional<bool> jsonBool(const Json& object, std::string_view key) {
  const Json* member = jsonMember(object, key);
  return member ? jsonBool(*member) : std::nullopt;
}

std::optional<std::int64_t> jsonInteger(const Json& object, std::string_view key) {
  const Json* member = jsonMember(object, key);
  return member ? jsonInteger(*member) : std::nullopt;
}

std::optional<double> jsonNumber(const Json& object, std::string_view key) {
  const Json* member = jsonMember(object, key);
  return member ? jsonNumber(*member) : std::nullopt;
}

std::optional<std::string> jsonString(const Json& object, std::string_view key) {
  const Json* member = jsonMember(object, key);
  return member ? jsonString(*member) : std::nullopt;
}

std::optional<std::vector<std::string>> jsonStringArray(const Json& object, std::string_view key) {
  const Json* member = jsonMember(object, key);
  return member ? jsonStringArray(*member) : std::nullopt;
}

}  // namespace foundation
