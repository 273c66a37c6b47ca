#include "pdf_cff_subset.h"

#include <hb-subset.h>
#include <hb.h>

#include <cstdint>
#include <memory>

namespace graphics {

namespace {

struct BlobDeleter {
  void operator()(hb_blob_t* b) const { hb_blob_destroy(b); }
};
struct FaceDeleter {
  void operator()(hb_face_t* f) const { hb_face_destroy(f); }
};
struct InputDeleter {
  void operator()(hb_subset_input_t* i) const { hb_subset_input_destroy(i); }
};
using Blob = std::unique_ptr<hb_blob_t, BlobDeleter>;
using Face = std::unique_ptr<hb_face_t, FaceDeleter>;
using Input = std::unique_ptr<hb_subset_input_t, InputDeleter>;

// Reads the parts of a CFF program needed to find its glyph count; every read is bounds-checked.
class CffReader {
 public:
  explicit CffReader(std::string_view data) : data_(data) {}

  // The number of glyphs (the CharStrings INDEX's count), or nothing.
  std::optional<unsigned> glyphCount() const {
    if (data_.size() < 4) return std::nullopt;
    std::size_t at = byte(2);                     // header size
    std::optional<std::size_t> after = skipIndex(at);  // Name INDEX
    if (!after) return std::nullopt;
    std::size_t topStart = 0, topEnd = 0;
    if (!firstEntry(*after, topStart, topEnd)) return std::nullopt;
    std::optional<long> charStrings = charStringsOffset(topStart, topEnd);
    if (!charStrings || *charStrings < 0 || static_cast<std::size_t>(*charStrings) + 2 > data_.size()) {
      return std::nullopt;
    }
    return unsignedAt(static_cast<std::size_t>(*charStrings), 2);
  }

 private:
  unsigned byte(std::size_t at) const { return static_cast<unsigned char>(data_[at]); }
  std::optional<unsigned> unsignedAt(std::size_t at, std::size_t size) const {
    if (size == 0 || size > 4 || at + size > data_.size()) return std::nullopt;
    unsigned value = 0;
    for (std::size_t i = 0; i < size; ++i) value = value << 8 | byte(at + i);
    return value;
  }
  // An INDEX at `at`: its count, offset size and where its data starts (one before the first byte, as the
  // offsets count from 1).
  bool header(std::size_t at, unsigned& count, unsigned& offSize, std::size_t& base) const {
    const std::optional<unsigned> c = unsignedAt(at, 2);
    if (!c) return false;
    count = *c;
    if (count == 0) return true;
    if (at + 2 >= data_.size()) return false;
    offSize = byte(at + 2);
    if (offSize < 1 || offSize > 4) return false;
    base = at + 3 + static_cast<std::size_t>(count + 1) * offSize - 1;
    return base < data_.size();
  }
  std::optional<std::size_t> skipIndex(std::size_t at) const {
    unsigned count = 0, offSize = 0;
    std::size_t base = 0;
    if (!header(at, count, offSize, base)) return std::nullopt;
    if (count == 0) return at + 2;
    const std::optional<unsigned> last = unsignedAt(at + 3 + static_cast<std::size_t>(count) * offSize, offSize);
    if (!last || base + *last > data_.size()) return std::nullopt;
    return base + *last;
  }
  bool firstEntry(std::size_t at, std::size_t& start, std::size_t& end) const {
    unsigned count = 0, offSize = 0;
    std::size_t base = 0;
    if (!header(at, count, offSize, base) || count == 0) return false;
    const std::optional<unsigned> first = unsignedAt(at + 3, offSize), second = unsignedAt(at + 3 + offSize, offSize);
    if (!first || !second || *first < 1 || *second < *first || base + *second > data_.size()) return false;
    start = base + *first;
    end = base + *second;
    return true;
  }
  // The Top DICT's CharStrings operand (operator 17).
  std::optional<long> charStringsOffset(std::size_t at, std::size_t end) const {
    long last = 0;
    bool haveOperand = false;
    while (at < end) {
      const unsigned b0 = byte(at);
      if (b0 <= 21) {
        const unsigned op = b0 == 12 ? 1200 + (at + 1 < end ? byte(at + 1) : 0) : b0;
        at += b0 == 12 ? 2 : 1;
        if (op == 17 && haveOperand) return last;
        haveOperand = false;
      } else if (b0 == 28 || b0 == 29) {
        const std::size_t size = b0 == 28 ? 2 : 4;
        const std::optional<unsigned> v = unsignedAt(at + 1, size);
        if (!v) return std::nullopt;
        last = b0 == 28 ? static_cast<std::int16_t>(*v) : static_cast<std::int32_t>(*v);
        haveOperand = true;
        at += 1 + size;
      } else if (b0 == 30) {  // a real: nibbles up to an end nibble
        for (++at; at < end; ++at) {
          if ((byte(at) & 0x0F) == 0x0F || (byte(at) >> 4) == 0x0F) break;
        }
        ++at;
        last = 0;
        haveOperand = true;
      } else if (b0 >= 32 && b0 <= 246) {
        last = static_cast<long>(b0) - 139;
        haveOperand = true;
        ++at;
      } else if (b0 >= 247 && b0 <= 254) {
        if (at + 1 >= end) return std::nullopt;
        const long w = byte(at + 1);
        last = b0 <= 250 ? (static_cast<long>(b0) - 247) * 256 + w + 108 : -(static_cast<long>(b0) - 251) * 256 - w - 108;
        haveOperand = true;
        at += 2;
      } else {
        return std::nullopt;
      }
    }
    return std::nullopt;
  }

  std::string_view data_;
};

}  // namespace

std::optional<std::string> compactCffProgram(std::string_view cff) {
  const std::optional<unsigned> glyphs = CffReader(cff).glyphCount();
  if (!glyphs || *glyphs == 0 || *glyphs > 65535) return std::nullopt;

  // The subsetter reads OpenType faces: the program goes in as a face of its 'CFF ' table and a 'maxp' giving
  // the glyph count.
  Face builder(hb_face_builder_create());
  Blob program(hb_blob_create(cff.data(), static_cast<unsigned>(cff.size()), HB_MEMORY_MODE_READONLY, nullptr,
                              nullptr));
  const char maxp[6] = {0, 0, 0x50, 0, static_cast<char>(*glyphs >> 8), static_cast<char>(*glyphs & 0xFF)};
  Blob counts(hb_blob_create(maxp, sizeof maxp, HB_MEMORY_MODE_DUPLICATE, nullptr, nullptr));
  if (!hb_face_builder_add_table(builder.get(), HB_TAG('C', 'F', 'F', ' '), program.get()) ||
      !hb_face_builder_add_table(builder.get(), HB_TAG('m', 'a', 'x', 'p'), counts.get())) {
    return std::nullopt;
  }
  Blob sfnt(hb_face_reference_blob(builder.get()));
  Face face(hb_face_create(sfnt.get(), 0));
  if (hb_face_get_glyph_count(face.get()) != *glyphs) return std::nullopt;

  Input input(hb_subset_input_create_or_fail());
  if (!input) return std::nullopt;
  hb_set_add_range(hb_subset_input_glyph_set(input.get()), 0, *glyphs - 1);
  // Glyph indices are the page's character codes: they stay as they are.
  hb_subset_input_set_flags(input.get(), HB_SUBSET_FLAGS_RETAIN_GIDS);
  Face subset(hb_subset_or_fail(face.get(), input.get()));
  if (!subset) return std::nullopt;
  Blob table(hb_face_reference_table(subset.get(), HB_TAG('C', 'F', 'F', ' ')));
  unsigned length = 0;
  const char* bytes = hb_blob_get_data(table.get(), &length);
  if (bytes == nullptr || length == 0) return std::nullopt;
  return std::string(bytes, length);
}

}  // namespace graphics
