#include "cad/command_names.h"

#include "cad/command_stack.h"
#include "cad/result_buffer.h"
#include "foundation/files.h"
#include "foundation/text.h"

namespace cad {

namespace {

// The host's commands as users know them; the stand-in runs only a few of them (see the command loop).
constexpr const wchar_t* kBuiltIns[] = {
    L"3DORBIT", L"APPLOAD", L"ARC", L"AREA", L"ARRAY", L"ATTDEF", L"AUDIT", L"BLOCK", L"BREAK", L"CHAMFER",
    L"CIRCLE", L"CLOSE", L"CLOSEALL", L"COPY", L"DIMLINEAR", L"DIST", L"ELLIPSE", L"ERASE", L"EXPLODE",
    L"EXPORT", L"EXTEND", L"FILLET", L"HATCH", L"HELP", L"ID", L"INSERT", L"LAYER", L"LAYOUT", L"LINE",
    L"LIST", L"MIRROR", L"MOVE", L"MSPACE", L"MTEXT", L"MVIEW", L"NEW", L"OFFSET", L"OPEN", L"OPTIONS",
    L"PAGESETUP", L"PAN", L"-PAN", L"PLINE", L"PLOT", L"-PLOT", L"PREVIEW", L"PROPERTIES", L"PSPACE",
    L"PUBLISH", L"PURGE", L"QSAVE", L"QUIT", L"EXIT", L"RECTANG", L"REDO", L"REDRAW", L"REDRAWALL", L"REGEN",
    L"REGENALL", L"ROTATE", L"SAVE", L"SAVEAS", L"SCALE", L"SCRIPT", L"SETVAR", L"STRETCH", L"TEXT",
    L"TRIM", L"U", L"UNDO", L"UNLOAD", L"VIEW", L"XREF", L"ZOOM", L"DELAY"};

std::wstring trimmed(const std::wstring& text) {
  const auto first = text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return {};
  const auto last = text.find_last_not_of(L" \t");
  return text.substr(first, last - first + 1);
}

bool isCommandCharacter(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' || c == L'-' || c == L'.' ||
         c > 0x7F;
}

bool isCommandName(const std::wstring& name) {
  if (name.empty()) return false;
  for (wchar_t c : name) {
    if (!isCommandCharacter(c)) return false;
  }
  return true;
}

}  // namespace

CommandNames::CommandNames() : builtIns_(std::begin(kBuiltIns), std::end(kBuiltIns)) {}

bool CommandNames::isBuiltIn(const std::wstring& name) const {
  const std::wstring upper = upperAscii(name);
  for (const auto& b : builtIns_) {
    if (b == upper) return true;
  }
  return false;
}

std::optional<std::wstring> CommandNames::aliasTarget(const std::wstring& alias) const {
  auto it = aliases_.find(upperAscii(alias));
  if (it == aliases_.end()) return std::nullopt;
  return it->second;
}

void CommandNames::addAlias(const std::wstring& alias, const std::wstring& command) {
  aliases_[upperAscii(alias)] = upperAscii(command);
}

CommandNames::LoadResult CommandNames::loadAliasFile(const std::string& path) {
  const foundation::ReadResult read = foundation::readFile(path, 1u << 20);
  if (!read.ok) {
    LoadResult result;
    result.error = read.error;
    return result;
  }
  return loadAliasText(read.data);
}

CommandNames::LoadResult CommandNames::loadAliasText(const std::string& text) {
  LoadResult result;
  result.ok = true;
  std::string_view rest(text);
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
  std::size_t lineNumber = 0;
  while (!rest.empty()) {
    const auto end = rest.find('\n');
    std::string_view raw = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    ++lineNumber;
    const std::wstring line = trimmed(foundation::wideFromUtf8Lossy(raw));
    if (line.empty() || line[0] == L';') continue;
    const auto comma = line.find(L',');
    auto problem = [&](const char* what) {
      result.problems.push_back("line " + std::to_string(lineNumber) + ": " + what);
    };
    if (comma == std::wstring::npos) {
      problem("no comma");
      continue;
    }
    const std::wstring alias = upperAscii(trimmed(line.substr(0, comma)));
    std::wstring command = trimmed(line.substr(comma + 1));
    if (!command.empty() && command[0] == L'*') command = trimmed(command.substr(1));
    command = upperAscii(command);
    if (!isCommandName(alias) || !isCommandName(command)) {
      problem("not an alias of a command name");
      continue;
    }
    aliases_[alias] = command;
    ++result.aliases;
  }
  return result;
}

CommandNames& commandNames() {
  static CommandNames* instance = new CommandNames;
  return *instance;
}

int acedGetCName(const wchar_t* name, std::wstring& out) {
  out.clear();
  if (name == nullptr) return RTERROR;
  std::wstring bare(name);
  const bool global = !bare.empty() && bare[0] == L'_';
  if (global) bare.erase(0, 1);
  if (bare.empty()) return RTERROR;
  CommandStack& stack = commandStack();
  if (global) {
    if (const Command* c = stack.lookupGlobalCmd(bare.c_str())) {
      out = c->localName();
    } else if (commandNames().isBuiltIn(bare)) {
      out = upperAscii(bare);
    }
  } else {
    if (const Command* c = stack.lookupTyped(bare)) {
      out = L"_" + c->globalName();
    } else if (auto target = commandNames().aliasTarget(bare)) {
      const Command* aliased = stack.lookupTyped(*target);
      out = L"_" + (aliased != nullptr ? aliased->globalName() : *target);
    } else if (commandNames().isBuiltIn(bare)) {
      out = L"_" + upperAscii(bare);
    }
  }
  return out.empty() ? RTERROR : RTNORM;
}

}  // namespace cad
