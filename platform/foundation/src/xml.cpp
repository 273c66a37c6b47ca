#include "foundation/xml.h"

#include <pugixml.hpp>

#include <set>

#include "foundation/files.h"
#include "foundation/paths.h"

namespace foundation {

struct XmlAccess {
  static XmlElement element(std::shared_ptr<const pugi::xml_document> document, pugi::xml_node node) {
    if (!node) return {};
    return XmlElement(std::move(document), node.internal_object());
  }
};

namespace {

XmlResult damaged(std::string_view what, const std::string& detail) {
  XmlResult result;
  result.ok = false;
  result.error = std::string(what) + " is damaged (" + detail + ")";
  return result;
}

// pugixml reads some texts that are not well-formed; those that could make one reader see another element or
// value than a stricter reader would are refused here.
std::string strictnessProblem(pugi::xml_document& document) {
  int roots = 0;
  for (const pugi::xml_node node : document.children()) {
    if (node.type() == pugi::node_element) ++roots;
  }
  if (roots != 1) return roots == 0 ? "no root element" : "more than one root element";
  struct Walker : pugi::xml_tree_walker {
    std::string problem;
    bool for_each(pugi::xml_node& node) override {
      if (node.type() != pugi::node_element) return true;
      std::set<std::string_view> names;
      for (const pugi::xml_attribute attribute : node.attributes()) {
        if (!names.insert(attribute.name()).second) {
          problem = std::string("the attribute ") + attribute.name() + " is given twice on " + node.name();
          return false;
        }
      }
      return true;
    }
  } walker;
  document.traverse(walker);
  return walker.problem;
}

}  // namespace

std::string XmlElement::name() const { return node_ ? pugi::xml_node(node_).name() : std::string(); }

std::optional<std::string> XmlElement::attribute(std::string_view name) const {
  if (!node_) return std::nullopt;
  for (const pugi::xml_attribute attribute : pugi::xml_node(node_).attributes()) {
    if (name == attribute.name()) return std::string(attribute.value());
  }
  return std::nullopt;
}

XmlElement XmlElement::child(std::string_view name) const {
  if (!node_) return {};
  for (const pugi::xml_node node : pugi::xml_node(node_).children()) {
    if (node.type() == pugi::node_element && name == node.name()) return XmlAccess::element(document_, node);
  }
  return {};
}

std::vector<XmlElement> XmlElement::children(std::string_view name) const {
  std::vector<XmlElement> found;
  if (!node_) return found;
  for (const pugi::xml_node node : pugi::xml_node(node_).children()) {
    if (node.type() == pugi::node_element && name == node.name()) found.push_back(XmlAccess::element(document_, node));
  }
  return found;
}

std::vector<XmlElement> XmlElement::elements() const {
  std::vector<XmlElement> found;
  if (!node_) return found;
  for (const pugi::xml_node node : pugi::xml_node(node_).children()) {
    if (node.type() == pugi::node_element) found.push_back(XmlAccess::element(document_, node));
  }
  return found;
}

std::string XmlElement::text() const { return node_ ? pugi::xml_node(node_).child_value() : std::string(); }

XmlResult parseXml(std::string_view text, std::string_view what) {
  auto document = std::make_shared<pugi::xml_document>();
  // The default options leave out parse_doctype: the DOCTYPE is skipped unread, and a reference to an entity
  // it declares is kept as text, never resolved.
  const pugi::xml_parse_result parsed =
      document->load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_auto);
  if (!parsed) {
    return damaged(what, std::string(parsed.description()) + " at byte " + std::to_string(parsed.offset));
  }
  if (const std::string problem = strictnessProblem(*document); !problem.empty()) return damaged(what, problem);
  XmlResult result;
  const pugi::xml_node root = document->document_element();
  result.rootElement = XmlAccess::element(std::move(document), root);
  return result;
}

XmlResult readXmlFile(const std::string& path, std::size_t maxBytes) {
  const ReadResult read = readFile(path, maxBytes);
  if (!read) {
    XmlResult result;
    result.ok = false;
    result.code = read.code;
    result.error = read.error;
    return result;
  }
  return parseXml(read.data, lastPathComponent(path));
}

}  // namespace foundation
