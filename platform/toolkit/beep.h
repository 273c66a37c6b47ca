#pragma once
// The system beep. Headless: nothing sounds or prints; a process-wide counter lets tests see each beep.

namespace toolkit {

void beep();
long beepCount();

}  // namespace toolkit
