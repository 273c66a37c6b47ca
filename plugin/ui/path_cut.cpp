#include "ui/path_cut.h"

#include <vector>

#include "graphics/text_measurer.h"

namespace {

struct PathSpan {
  std::size_t start = std::string_view::npos;
  std::size_t length = 0;
};

// The longest part between a pair of double quotes that holds a "/".
PathSpan quotedPath(std::string_view text) {
  PathSpan best;
  for (std::size_t open = text.find('"'); open != std::string_view::npos;) {
    const std::size_t close = text.find('"', open + 1);
    if (close == std::string_view::npos) break;
    const std::string_view inside = text.substr(open + 1, close - open - 1);
    if (inside.find('/') != std::string_view::npos && inside.size() > best.length) best = {open + 1, inside.size()};
    open = text.find('"', close + 1);
  }
  return best;
}

// A path from a "/" at the start or after a blank or a colon to the end of the text; a "/" between blanks
// ("2 / 5") is no path.
PathSpan endingPath(std::string_view text) {
  for (std::size_t slash = text.find('/'); slash != std::string_view::npos; slash = text.find('/', slash + 1)) {
    const std::string_view before = text.substr(0, slash);
    if (slash + 1 >= text.size() || text[slash + 1] == ' ') continue;
    if (before.empty() || before.ends_with(' ') || before.ends_with(':') || before.ends_with("：")) {
      return {slash, text.size() - slash};
    }
  }
  return {};
}

// Where each character of the text begins, and its end.
std::vector<std::size_t> characterStarts(std::string_view text) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
  }
  starts.push_back(text.size());
  return starts;
}

}  // namespace

std::string QDLCutInPath(std::string_view text, const graphics::Font& font, double width,
                         const graphics::TextMeasurer& measurer) {
  if (text.find('\n') != std::string_view::npos || measurer.width(text, font) <= width) return std::string(text);
  PathSpan span = quotedPath(text);
  if (span.start == std::string_view::npos) span = endingPath(text);
  if (span.start == std::string_view::npos) return std::string(text);
  const std::string_view before = text.substr(0, span.start);
  const std::string_view path = text.substr(span.start, span.length);
  const std::string_view after = text.substr(span.start + span.length);
  const std::vector<std::size_t> starts = characterStarts(path);
  const std::size_t characters = starts.size() - 1;
  // Keeps `kept` characters of the path: the later half a little larger, since a path's end names the item.
  const auto cut = [&](std::size_t kept) {
    const std::size_t head = kept / 2;
    const std::size_t tail = kept - head;
    std::string shown(before);
    shown += path.substr(0, starts[head]);
    shown += "…";
    shown += path.substr(starts[characters - tail]);
    shown += after;
    return shown;
  };
  if (measurer.width(cut(0), font) > width) return std::string(text);
  // The most characters of the path that fit.
  std::size_t low = 0;
  std::size_t high = characters - 1;
  while (low < high) {
    const std::size_t middle = (low + high + 1) / 2;
    if (measurer.width(cut(middle), font) <= width) low = middle;
    else high = middle - 1;
  }
  return cut(low);
}
