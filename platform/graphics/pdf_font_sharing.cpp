#include "graphics/pdf_font_sharing.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace graphics {

namespace {

// Deeper than any font is made: hostile nesting is cut off there and left unshared.
constexpr int kMaxDepth = 32;

class FontSharing {
 public:
  void shareIn(QPDFObjectHandle resources) {
    if (!resources.isDictionary()) return;
    if (resources.isIndirect() && !visited_.insert(resources.getObjGen()).second) return;
    QPDFObjectHandle fonts = resources.getKey("/Font");
    if (fonts.isDictionary()) {
      for (const std::string& name : fonts.getKeys()) {
        QPDFObjectHandle font = fonts.getKey(name);
        if (!font.isIndirect()) continue;
        auto [first, added] = canonical_.emplace(fingerprint(font, 0), font);
        if (!added && first->second.getObjGen() != font.getObjGen()) fonts.replaceKey(name, first->second);
      }
    }
    QPDFObjectHandle xobjects = resources.getKey("/XObject");
    if (xobjects.isDictionary()) {
      for (const std::string& name : xobjects.getKeys()) {
        QPDFObjectHandle form = xobjects.getKey(name);
        if (!form.isStream()) continue;
        if (form.isIndirect() && !visited_.insert(form.getObjGen()).second) continue;
        QPDFObjectHandle dict = form.getDict();
        if (dict.getKey("/Subtype").isNameAndEquals("/Form")) shareIn(dict.getKey("/Resources"));
      }
    }
  }

 private:
  // The object written out in full, what it refers to included; stream data as stored.
  const std::string& fingerprint(QPDFObjectHandle object, int depth) {
    const QPDFObjGen id = object.getObjGen();
    if (auto it = prints_.find(id); it != prints_.end()) return it->second;
    // A cycle (rare in a font) or too deep a chain is left as the object's own number: such fonts are not
    // shared.
    std::string mark = id.unparse(' ');
    mark.insert(mark.begin(), '@');
    prints_[id] = std::move(mark);
    if (depth > kMaxDepth) return prints_[id];
    std::string print;
    append(print, object, true, depth);
    return prints_[id] = std::move(print);
  }
  void append(std::string& out, QPDFObjectHandle object, bool top, int depth) {
    if (!top && object.isIndirect()) {
      const std::string& inner = fingerprint(object, depth + 1);
      out += '{';
      out += std::to_string(inner.size());
      out += ':';
      out += inner;
      out += "}";
      return;
    }
    if (object.isStream()) {
      appendDictionary(out, object.getDict(), "/Length", depth);
      const std::shared_ptr<Buffer> data = object.getRawStreamData();
      out += "stream";
      out += std::to_string(data->getSize());
      out += ':';
      out.append(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    } else if (object.isDictionary()) {
      appendDictionary(out, object, nullptr, depth);
    } else if (object.isArray()) {
      out += "[";
      for (QPDFObjectHandle& item : object.aitems()) {
        append(out, item, false, depth);
        out += " ";
      }
      out += "]";
    } else {
      out += object.unparse();
    }
  }
  void appendDictionary(std::string& out, QPDFObjectHandle dict, const char* skip, int depth) {
    out += "<<";
    for (const std::string& key : dict.getKeys()) {  // sorted
      if (skip != nullptr && key == skip) continue;
      out += key + " ";
      append(out, dict.getKey(key), false, depth);
      out += " ";
    }
    out += ">>";
  }

  std::map<QPDFObjGen, std::string> prints_;
  std::map<std::string, QPDFObjectHandle> canonical_;
  std::set<QPDFObjGen> visited_;
};

}  // namespace

void shareIdenticalFonts(QPDF& pdf) {
  FontSharing sharing;
  for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
    sharing.shareIn(page.getAttribute("/Resources", false));
  }
}

}  // namespace graphics
