// The GUI application object reads need, and the one thread reads may come from.
#pragma once

// Creates the process's GUI application object when it has none, on the
// calling thread, and keeps it. Returns PELORIN_OK when the calling thread is
// the object's thread, PELORIN_WRONG_THREAD otherwise.
int enterGuiThread();
