// SPDX-License-Identifier: Apache-2.0
// A card reader on USB: finding it by its identifiers, opening and claiming
// it, and the bulk transfers on its pipes. Callers hold the libusb context
// and handle; each step reports libusb's own code, so that each caller can
// tell its failures in its own words.
#pragma once

#include <libusb-1.0/libusb.h>

#include <cstdint>

namespace usb {

// The reader's bulk endpoints.
constexpr unsigned char kRequestPipe = 0x02;      // out: whole requests, or a split request's header
constexpr unsigned char kRequestBodyPipe = 0x06;  // out: a split request's body
constexpr unsigned char kAnswerPipe = 0x81;       // in: whole answers, or a split answer's header
constexpr unsigned char kAnswerBodyPipe = 0x85;   // in: a split answer's body

// How the search for a device ended.
struct Search {
    enum Outcome {
        Opened,         // handle: the open device
        NoList,         // code: libusb_get_device_list's
        BadDescriptor,  // position: the device's one-based place in the list
        NotFound,
        OpenFailed,     // code: libusb_open's
    };
    Outcome outcome = NotFound;
    libusb_device_handle* handle = nullptr;
    int code = 0;
    int position = 0;
};

// Walks libusb's device list in order and opens the first device with these
// identifiers; a descriptor that cannot be read ends the walk.
Search openFirst(libusb_context* context, uint16_t vid, uint16_t pid);

// True when a device with these identifiers is attached.
bool attached(uint16_t vid, uint16_t pid);

// Claims interface 0, detaching a kernel driver from it first: libusb's code.
int claimReader(libusb_device_handle* handle);

// One bulk transfer of up to `length` bytes on `endpoint` (direction by its
// bit 0x80), waiting at most `timeoutMs` (0: no limit). Returns libusb's code;
// `transferred` tells how many bytes went.
int bulk(libusb_device_handle* handle, unsigned char endpoint, unsigned char* data, int length,
         unsigned int timeoutMs, int& transferred);

// Sends all `length` bytes: true when the transfer succeeded whole. `code` is
// libusb's code (0 for a short write).
bool sendAll(libusb_device_handle* handle, unsigned char endpoint, const unsigned char* data, int length,
             unsigned int timeoutMs, int& code);

}  // namespace usb
