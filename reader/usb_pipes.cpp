// SPDX-License-Identifier: Apache-2.0
#include "usb_pipes.h"

#include <libusb-1.0/libusb.h>

namespace {

constexpr unsigned char kPipeOut = 0x02;
constexpr unsigned char kPipeIn = 0x81;

ReaderLine::Outcome outcomeOf(int rc)
{
    if (rc == 0)
        return ReaderLine::Outcome::Done;
    return rc == LIBUSB_ERROR_TIMEOUT ? ReaderLine::Outcome::TimedOut : ReaderLine::Outcome::Lost;
}

}  // namespace

std::unique_ptr<UsbPipes> UsbPipes::open(uint16_t vid, uint16_t pid, std::string& problem)
{
    libusb_context* context = nullptr;
    int rc = libusb_init(&context);
    if (rc < 0) {
        problem = std::string("libusb: ") + libusb_error_name(rc);
        return nullptr;
    }
    libusb_device_handle* handle = libusb_open_device_with_vid_pid(context, vid, pid);
    if (handle == nullptr) {
        problem = "no USB reader that can be opened";
        libusb_exit(context);
        return nullptr;
    }
    libusb_set_auto_detach_kernel_driver(handle, 1);
    rc = libusb_claim_interface(handle, 0);
    if (rc != 0) {
        problem = std::string("cannot claim the reader: ") + libusb_error_name(rc);
        libusb_close(handle);
        libusb_exit(context);
        return nullptr;
    }
    return std::unique_ptr<UsbPipes>(new UsbPipes(context, handle));
}

bool UsbPipes::present(uint16_t vid, uint16_t pid)
{
    libusb_context* context = nullptr;
    if (libusb_init(&context) < 0)
        return false;
    libusb_device** devices = nullptr;
    const ssize_t count = libusb_get_device_list(context, &devices);
    bool found = false;
    for (ssize_t i = 0; i < count && !found; ++i) {
        libusb_device_descriptor descriptor;
        found = libusb_get_device_descriptor(devices[i], &descriptor) == 0 &&
                descriptor.idVendor == vid && descriptor.idProduct == pid;
    }
    if (count >= 0)
        libusb_free_device_list(devices, 1);
    libusb_exit(context);
    return found;
}

UsbPipes::~UsbPipes()
{
    libusb_release_interface(m_handle, 0);
    libusb_close(m_handle);
    libusb_exit(m_context);
}

ReaderLine::Outcome UsbPipes::send(const uint8_t* data, size_t size, int timeoutMs)
{
    int written = 0;
    const int rc = libusb_bulk_transfer(m_handle, kPipeOut, const_cast<uint8_t*>(data), int(size),
                                        &written, unsigned(timeoutMs));
    if (rc == 0 && size_t(written) != size)
        return Outcome::Lost;
    return outcomeOf(rc);
}

ReaderLine::Outcome UsbPipes::receive(uint8_t* buffer, size_t capacity, int timeoutMs,
                                      size_t& received)
{
    int got = 0;
    const int rc = libusb_bulk_transfer(m_handle, kPipeIn, buffer, int(capacity), &got,
                                        unsigned(timeoutMs));
    received = size_t(got);
    // An empty packet carries nothing; the caller asks again until its time-out.
    return outcomeOf(rc);
}
