#pragma once
// Objects that receive events: views and windows. An event a responder does not handle goes to the next one,
// up the view tree to the window; a key that nobody handles sounds the beep.

namespace toolkit {

class Event;

class Responder {
 public:
  virtual ~Responder() = default;

  virtual bool acceptsFirstResponder() const { return false; }
  // Asked when the responder is about to become, or to stop being, the window's first responder; false refuses.
  virtual bool becomeFirstResponder() { return true; }
  virtual bool resignFirstResponder() { return true; }
  virtual Responder* nextResponder() const { return nullptr; }

  virtual void mouseDown(const Event& event);
  virtual void mouseUp(const Event& event);
  virtual void keyDown(const Event& event);
  virtual void scrollWheel(const Event& event);
};

}  // namespace toolkit
