// SPDX-License-Identifier: Apache-2.0
// A reader on USB: whole frames out on bulk endpoint 0x02, answers in on 0x81
// (usb/), interface 0 claimed for as long as the object lives.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "reader_line.h"

struct libusb_context;
struct libusb_device_handle;

class UsbPipes : public ReaderLine {
public:
    // Opens the first device with these identifiers; null with the reason in
    // `problem` when it cannot.
    static std::unique_ptr<UsbPipes> open(uint16_t vid, uint16_t pid, std::string& problem);
    // True when a device with these identifiers is attached.
    static bool present(uint16_t vid, uint16_t pid);
    ~UsbPipes() override;
    UsbPipes(const UsbPipes&) = delete;
    UsbPipes& operator=(const UsbPipes&) = delete;

    Outcome send(const uint8_t* data, size_t size, int timeoutMs) override;
    Outcome receive(uint8_t* buffer, size_t capacity, int timeoutMs, size_t& received) override;

private:
    UsbPipes(libusb_context* context, libusb_device_handle* handle)
        : m_context(context), m_handle(handle) {}
    libusb_context* m_context;
    libusb_device_handle* m_handle;
};
