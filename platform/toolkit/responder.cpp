#include "toolkit/responder.h"

#include "toolkit/beep.h"

namespace toolkit {

void Responder::mouseDown(const Event& event) {
  if (Responder* next = nextResponder()) next->mouseDown(event);
}

void Responder::mouseUp(const Event& event) {
  if (Responder* next = nextResponder()) next->mouseUp(event);
}

void Responder::keyDown(const Event& event) {
  if (Responder* next = nextResponder()) next->keyDown(event);
  else beep();
}

void Responder::scrollWheel(const Event& event) {
  if (Responder* next = nextResponder()) next->scrollWheel(event);
}

}  // namespace toolkit
