#include "notice.h"

#include "toolkit/alert.h"

long notice(const std::string& title, const std::string& text, const std::optional<std::string>& action) {
  toolkit::Alert alert;
  alert.setMessageText(title);
  alert.setInformativeText(text);
  if (action) {
    alert.addButtonWithTitle("取消");
    alert.addButtonWithTitle(*action);
  } else {
    alert.addButtonWithTitle("好");
  }
  return alert.runModal();
}
