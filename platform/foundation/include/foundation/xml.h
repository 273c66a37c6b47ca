#pragma once
// Reading XML documents through pugixml, with failures as results. No DTD is read and no entity is ever
// loaded from outside the document: a reference to one stays in the text as written. A document must have
// exactly one root element and no attribute given twice on an element; anything else counts as damaged.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pugi {
class xml_document;
struct xml_node_struct;
}  // namespace pugi

namespace foundation {

inline constexpr std::size_t kXmlMaxFileBytes = 16u * 1024u * 1024u;

// An element of a document read here; it keeps its document alive. A default one is null.
class XmlElement {
 public:
  XmlElement() = default;
  explicit operator bool() const noexcept { return node_ != nullptr; }

  std::string name() const;
  // The attribute's value, nullopt when the element has no such attribute.
  std::optional<std::string> attribute(std::string_view name) const;
  // The first child element of that name, null when there is none.
  XmlElement child(std::string_view name) const;
  // The child elements of that name, in document order.
  std::vector<XmlElement> children(std::string_view name) const;
  // Every child element, in document order.
  std::vector<XmlElement> elements() const;
  // The text directly inside the element (its first text or CDATA child); empty when it has none.
  std::string text() const;

 private:
  friend struct XmlAccess;
  XmlElement(std::shared_ptr<const pugi::xml_document> document, pugi::xml_node_struct* node)
      : document_(std::move(document)), node_(node) {}

  std::shared_ptr<const pugi::xml_document> document_;
  pugi::xml_node_struct* node_ = nullptr;
};

struct XmlResult {
  bool ok = true;
  int code = 0;       // the errno when the file could not be read; 0 for a damaged document
  std::string error;  // e.g. `PackageContents.xml is damaged (Start-end tags mismatch at byte 41)`
  XmlElement rootElement;
  explicit operator bool() const noexcept { return ok; }
};

// `what` names the text in the error, as in "`what` is damaged (…)".
XmlResult parseXml(std::string_view text, std::string_view what = "The XML text");
// Reads a regular file of at most maxBytes (files.h readFile); the error names the file by its last component.
XmlResult readXmlFile(const std::string& path, std::size_t maxBytes = kXmlMaxFileBytes);

}  // namespace foundation
