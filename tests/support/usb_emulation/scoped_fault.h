// SPDX-License-Identifier: Apache-2.0
// Asks the usbfs shim to fail one step of the device open (PELORIN_USB_FAULT)
// for as long as the object lives.
#pragma once

#include <cstdlib>

class ScopedFault {
public:
    explicit ScopedFault(const char* name) { setenv("PELORIN_USB_FAULT", name, 1); }
    ~ScopedFault() { unsetenv("PELORIN_USB_FAULT"); }
    ScopedFault(const ScopedFault&) = delete;
    ScopedFault& operator=(const ScopedFault&) = delete;
};
