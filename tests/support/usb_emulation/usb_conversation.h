// SPDX-License-Identifier: Apache-2.0
// A scripted bulk conversation with the reader, written as the usbmon
// capture that umockdev replays in order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

class UsbConversation {
public:
    UsbConversation(uint8_t busnum, uint8_t devnum) : m_busnum(busnum), m_devnum(devnum) {}

    // The host writes `data` to an OUT endpoint.
    void hostSends(uint8_t endpoint, const Bytes& data);
    // The host writes `data` to an OUT endpoint and the transfer ends with a
    // negative errno status.
    void hostSendFails(uint8_t endpoint, const Bytes& data, int status);
    // The host asks an IN endpoint for `requested` bytes and receives `data`.
    void deviceAnswers(uint8_t endpoint, uint32_t requested, const Bytes& data);
    // The host asks an IN endpoint and the transfer ends with a negative errno status.
    void deviceFails(uint8_t endpoint, uint32_t requested, int status);

    bool writePcap(const std::string& path) const;

private:
    void addEvent(char type, uint8_t endpoint, int status, uint32_t length, const Bytes& data);

    uint8_t m_busnum;
    uint8_t m_devnum;
    uint64_t m_urbId = 0x1000;
    std::vector<Bytes> m_packets;
};
