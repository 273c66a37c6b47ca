#include "services/command_alias.h"

namespace qdl {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

std::string trimCommand(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string upperCommand(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

bool normalizeCommand(const std::string& input, std::string& out) {
  out = upperCommand(trimCommand(input));
  if (out.empty()) return true;
  if (out.size() > 16 || out[0] < 'A' || out[0] > 'Z') return false;
  for (char c : out) {
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
  }
  return !startsWith(out, "QUODL") && !startsWith(out, "DUZOZARED");
}

bool pgpContainsCommand(const std::string& text, const std::string& name) {
  std::size_t start = startsWith(text, "\xEF\xBB\xBF") ? 3 : 0;
  while (true) {
    const std::size_t end = text.find_first_of("\r\n", start);
    const std::string line =
        trimCommand(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (!line.empty() && line[0] != ';') {
      if (const std::size_t comma = line.find(','); comma != std::string::npos) {
        if (upperCommand(trimCommand(line.substr(0, comma))) == name) return true;
      }
    }
    if (end == std::string::npos) return false;
    start = end + 1;
  }
}

AliasResult CommandAlias::restore() {
  if (!active_.empty()) return AliasResult::Ok;
  std::string name;
  if (!normalizeCommand(host_.load(), name)) return AliasResult::InvalidName;
  if (name.empty()) return AliasResult::Ok;
  if (host_.occupied(name)) return AliasResult::Occupied;
  if (!host_.add(name)) return AliasResult::RegisterFailed;
  active_ = name;
  return AliasResult::Ok;
}

AliasResult CommandAlias::change(const std::string& requested) {
  std::string name;
  if (!normalizeCommand(requested, name)) return AliasResult::InvalidName;
  const std::string previous = host_.load();
  if (name == active_) return host_.save(name) ? AliasResult::Ok : AliasResult::SaveFailed;
  if (!name.empty()) {
    if (host_.occupied(name)) return AliasResult::Occupied;
    if (!host_.add(name)) return AliasResult::RegisterFailed;
  }
  // Withdraws the new registration; nothing to withdraw for the empty name.
  auto withdraw = [&] { return name.empty() || host_.remove(name); };
  if (!host_.save(name)) return withdraw() ? AliasResult::SaveFailed : AliasResult::RollbackFailed;
  if (!active_.empty() && !host_.remove(active_)) {
    const bool restored = host_.save(previous);
    const bool withdrawn = withdraw();
    return restored && withdrawn ? AliasResult::RolledBack : AliasResult::RollbackFailed;
  }
  active_ = name;
  return AliasResult::Ok;
}

}  // namespace qdl
