// SPDX-License-Identifier: Apache-2.0
// The Qt platform a front end's own GUI application object should use.
#pragma once

// The face composer needs a GUI platform; without a display, paint offscreen.
// Call before the application object is created.
void preferOffscreenWithoutDisplay();
