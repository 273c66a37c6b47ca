#pragma once
// The system beep. Headless: nothing sounds; a process-wide counter lets tests see each beep, and a program may
// show it another way (cadhost prints a line).

namespace toolkit {

void beep();
long beepCount();

// Called on each beep, on the thread that beeps; null for none.
using BeepObserver = void (*)();
void setBeepObserver(BeepObserver observer);

}  // namespace toolkit
