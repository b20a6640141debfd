// SPDX-License-Identifier: Apache-2.0
// An emulated card reader in a umockdev testbed: a USB device with the
// reader's four bulk endpoints, whose bulk traffic replays a scripted
// conversation.
#pragma once

#include <cstdint>
#include <string>

#include "usb_conversation.h"

typedef struct _UMockdevTestbed UMockdevTestbed;

class EmulatedReader {
public:
    static constexpr uint16_t kVendorId = 0xF055;
    static constexpr uint16_t kProductId = 0x1D0C;
    static constexpr uint8_t kBusnum = 1;

    EmulatedReader();
    ~EmulatedReader();
    EmulatedReader(const EmulatedReader&) = delete;
    EmulatedReader& operator=(const EmulatedReader&) = delete;

    // Adds a reader with the given identifiers as device `devnum` on bus 1;
    // returns its sysfs path.
    std::string addReader(uint8_t devnum, uint16_t vid = kVendorId, uint16_t pid = kProductId);
    // Replays `conversation` as the bulk traffic of the reader at `sysfsPath`.
    bool play(const std::string& sysfsPath, const UsbConversation& conversation);

private:
    UMockdevTestbed* m_testbed;
    std::string m_scratchDir;
};

// Re-executes the test program inside a umockdev environment, with the usbfs
// shim in front of umockdev's preload library. Call first thing in main.
void enterMockEnvironment(char** argv);
