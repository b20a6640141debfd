// SPDX-License-Identifier: Apache-2.0
#include "usb_pipes.h"

#include "usb_device.h"

#include <cstdio>

namespace {

ReaderLine::Outcome outcomeOf(int rc)
{
    if (rc == 0)
        return ReaderLine::Outcome::Done;
    return rc == LIBUSB_ERROR_TIMEOUT ? ReaderLine::Outcome::TimedOut : ReaderLine::Outcome::Lost;
}

std::string searchProblem(const usb::Search& search, uint16_t vid, uint16_t pid)
{
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", vid, pid);
    switch (search.outcome) {
    case usb::Search::NoList: return std::string("libusb lists no devices: ") + libusb_error_name(search.code);
    case usb::Search::BadDescriptor: return "libusb cannot read the descriptor of a device";
    case usb::Search::OpenFailed:
        return std::string("cannot open USB device ") + ids + ": " + libusb_error_name(search.code) +
               (search.code == LIBUSB_ERROR_ACCESS ? " (see the udev rule)" : "");
    default: break;
    }
    return std::string("no USB device ") + ids + " is attached";
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
    const usb::Search search = usb::openFirst(context, vid, pid);
    if (search.outcome != usb::Search::Opened) {
        problem = searchProblem(search, vid, pid);
        libusb_exit(context);
        return nullptr;
    }
    rc = usb::claimReader(search.handle);
    if (rc != 0) {
        problem = std::string("cannot claim the reader: ") + libusb_error_name(rc);
        libusb_close(search.handle);
        libusb_exit(context);
        return nullptr;
    }
    return std::unique_ptr<UsbPipes>(new UsbPipes(context, search.handle));
}

bool UsbPipes::present(uint16_t vid, uint16_t pid)
{
    return usb::attached(vid, pid);
}

UsbPipes::~UsbPipes()
{
    libusb_release_interface(m_handle, 0);
    libusb_close(m_handle);
    libusb_exit(m_context);
}

ReaderLine::Outcome UsbPipes::send(const uint8_t* data, size_t size, int timeoutMs)
{
    int rc = 0;
    if (!usb::sendAll(m_handle, usb::kRequestPipe, data, int(size), unsigned(timeoutMs), rc) && rc == 0)
        return Outcome::Lost;  // a short write
    return outcomeOf(rc);
}

ReaderLine::Outcome UsbPipes::receive(uint8_t* buffer, size_t capacity, int timeoutMs,
                                      size_t& received)
{
    int got = 0;
    const int rc = usb::bulk(m_handle, usb::kAnswerPipe, buffer, int(capacity), unsigned(timeoutMs), got);
    received = size_t(got);
    // An empty packet carries nothing; the caller asks again until its time-out.
    return outcomeOf(rc);
}
