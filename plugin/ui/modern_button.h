#pragma once
// The plug-in's one button class: it draws its whole look itself (a rounded plate, an optional symbol and the
// title), chosen by five flags. Coordinates are flipped: y grows down from the top edge.
//
// The flag and symbol setters only store; a caller restyling a button on screen marks it as needing display.

#include <memory>
#include <string>

#include "toolkit/button.h"

class QDLModernButton : public toolkit::Button {
 public:
  // Zero frame, momentary push-in, borderless, system font 13 medium, no flags, no symbol.
  static std::shared_ptr<QDLModernButton> buttonWithTitle(const std::string& title, Action action);

  // A symbol image name; empty: none.
  const std::string& symbolName() const { return symbolName_; }
  void setSymbolName(const std::string& name) { symbolName_ = name; }
  // A tall tile: the symbol above the title.
  bool tile() const { return tile_; }
  void setTile(bool on) { tile_ = on; }
  // A sidebar page button: square corners, left-aligned, accented while its state is on.
  bool navigation() const { return navigation_; }
  void setNavigation(bool on) { navigation_ = on; }
  // An accent plate in blue.
  bool primary() const { return primary_; }
  void setPrimary(bool on) { primary_ = on; }
  // An accent plate in the output colour and a larger title.
  bool output() const { return output_; }
  void setOutput(bool on) { output_ = on; }
  // Smaller fonts, symbols and insets.
  bool compact() const { return compact_; }
  void setCompact(bool on) { compact_ = on; }

  bool isFlipped() const override { return true; }
  void setState(long state) override;
  void setEnabled(bool enabled) override;
  toolkit::Size intrinsicContentSize() const override;
  void drawRect(graphics::GraphicsContext& context, const toolkit::Rect& dirtyRect) override;

 private:
  std::string symbolName_;
  bool tile_ = false;
  bool navigation_ = false;
  bool primary_ = false;
  bool output_ = false;
  bool compact_ = false;
};
