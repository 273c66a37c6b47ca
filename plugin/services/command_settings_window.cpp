#include "services/command_settings_window.h"

#include "cad/command_line.h"
#include "core/panel_lifecycle.h"
#include "services/custom_command.h"
#include "toolkit/alert.h"
#include "toolkit/text_field.h"
#include "ui/localisation.h"

namespace {

constexpr long kSave = 1000;
constexpr long kReset = 1002;

std::shared_ptr<toolkit::TextField> label(const std::string& text, const toolkit::Rect& frame) {
  auto field = toolkit::TextField::labelWithString(text);
  field->setFrame(frame);
  return field;
}

}  // namespace

CommandSettingsWindow makeCommandSettingsWindow() {
  CommandSettingsWindow w;
  w.alert = std::make_unique<toolkit::Alert>();
  w.alert->setMessageText(QDLT("启动命令"));
  w.alert->setInformativeText("");
  w.alert->addButtonWithTitle(QDLT("保存"));
  w.alert->addButtonWithTitle(QDLT("取消"))->setKeyEquivalent("\033");
  w.alert->addButtonWithTitle(QDLT("恢复默认"));

  auto accessory = std::make_shared<toolkit::View>(toolkit::Rect{0, 0, 360, 142});
  accessory->addSubview(label(QDLT("默认命令    QUODL"), {0, 116, 360, 22}));
  // The stand-in's font sets "Custom command" wider than 90 points: the label takes 116, the field the rest.
  accessory->addSubview(label(QDLT("自定义命令"), {0, 78, 116, 24}));
  w.field = toolkit::TextField::textFieldWithString(customCommandHost().load());
  w.field->setFrame({124, 78, 236, 24});
  w.field->setIdentifier("customCommand");
  w.field->setPlaceholderString(QDLT("未设置"));
  w.field->setAccessibilityLabel(QDLT("自定义命令"));
  accessory->addSubview(w.field);
  w.errorLabel = toolkit::TextField::wrappingLabelWithString("");
  w.errorLabel->setFrame({0, 0, 360, 65});
  w.errorLabel->setIdentifier("commandError");
  w.errorLabel->setTextColor(graphics::Color::named(graphics::SystemColor::systemRed));
  accessory->addSubview(w.errorLabel);
  w.alert->setAccessoryView(accessory);
  w.alert->window().makeFirstResponder(w.field.get());

  if (!w.field->stringValue().empty() && alias->active().empty()) {
    w.errorLabel->setStringValue(QDLT("已保存的自定义命令尚未启用，请更换名称或恢复默认。"));
  }
  return w;
}

void qdl_command_settings_show() {
  if (!alias) return;
  vexBatchPrintPanelHide();
  CommandSettingsWindow w = makeCommandSettingsWindow();
  while (true) {
    const long response = w.alert->runModal();
    if (response != kSave && response != kReset) break;  // Cancel, an aborted run, anything else
    const std::string requested = response == kReset ? std::string() : w.field->stringValue();
    const qdl::AliasResult result = alias->change(requested);
    if (result == qdl::AliasResult::Ok) {
      cad::acutPrintf(L"\nFerrolin 批打工具：启动命令设置已保存，QUODL 始终可用。");
      break;
    }
    w.errorLabel->setStringValue(errorMessage(result));
  }
  vexBatchPrintPanelShow();
}
