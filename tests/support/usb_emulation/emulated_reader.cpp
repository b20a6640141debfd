// SPDX-License-Identifier: Apache-2.0
#include "emulated_reader.h"

#include <umockdev.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

std::string hex(const uint8_t* bytes, size_t count)
{
    std::string text;
    char pair[3];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

// Device, configuration, interface and the four bulk endpoint descriptors.
std::string descriptors(uint16_t vid, uint16_t pid)
{
    const uint8_t bytes[] = {
        0x12, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, uint8_t(vid), uint8_t(vid >> 8),
        uint8_t(pid), uint8_t(pid >> 8), 0x00, 0x01, 0x00, 0x00, 0x00, 0x01,
        0x09, 0x02, 0x2e, 0x00, 0x01, 0x01, 0x00, 0x80, 0x32,
        0x09, 0x04, 0x00, 0x00, 0x04, 0xff, 0x00, 0x00, 0x00,
        0x07, 0x05, 0x02, 0x02, 0x40, 0x00, 0x00,
        0x07, 0x05, 0x06, 0x02, 0x40, 0x00, 0x00,
        0x07, 0x05, 0x81, 0x02, 0x40, 0x00, 0x00,
        0x07, 0x05, 0x85, 0x02, 0x40, 0x00, 0x00,
    };
    return hex(bytes, sizeof bytes);
}

}  // namespace

EmulatedReader::EmulatedReader() : m_testbed(umockdev_testbed_new())
{
    char scratch[] = "/tmp/pelorin-usb-XXXXXX";
    m_scratchDir = mkdtemp(scratch) ? scratch : "/tmp";
}

EmulatedReader::~EmulatedReader()
{
    g_object_unref(m_testbed);
    const std::string remove = "rm -rf '" + m_scratchDir + "'";
    if (m_scratchDir != "/tmp" && std::system(remove.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", m_scratchDir.c_str());
}

std::string EmulatedReader::addReader(uint8_t devnum, uint16_t vid, uint16_t pid)
{
    char sysfs[96], node[32], ids[96], numbers[160];
    std::snprintf(sysfs, sizeof sysfs, "/devices/pci0000:00/0000:00:14.0/usb%u/%u-%u", kBusnum,
                  kBusnum, devnum);
    std::snprintf(node, sizeof node, "bus/usb/%03u/%03u", kBusnum, devnum);
    std::snprintf(ids, sizeof ids, "A: idVendor=%04x\nA: idProduct=%04x\n", vid, pid);
    std::snprintf(numbers, sizeof numbers,
                  "E: BUSNUM=%03u\nE: DEVNUM=%03u\nA: busnum=%u\nA: devnum=%u\nA: dev=189:%u\n",
                  kBusnum, devnum, kBusnum, devnum, devnum);
    const std::string record = std::string("P: ") + sysfs + "\nN: " + node +
                               "\nE: DEVNAME=/dev/" + node +
                               "\nE: DEVTYPE=usb_device\nE: DRIVER=usb\nE: SUBSYSTEM=usb\n" +
                               numbers + ids +
                               "A: bConfigurationValue=1\nA: speed=480\nH: descriptors=" +
                               descriptors(vid, pid) + "\n";
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(m_testbed, record.c_str(), &error)) {
        std::fprintf(stderr, "add device: %s\n", error->message);
        g_error_free(error);
        return "";
    }
    return std::string("/sys") + sysfs;
}

bool EmulatedReader::play(const std::string& sysfsPath, const UsbConversation& conversation)
{
    static int count = 0;
    const std::string pcap = m_scratchDir + "/conversation" + std::to_string(++count) + ".pcap";
    if (!conversation.writePcap(pcap))
        return false;
    GError* error = nullptr;
    if (!umockdev_testbed_load_pcap(m_testbed, sysfsPath.c_str(), pcap.c_str(), &error)) {
        std::fprintf(stderr, "load pcap: %s\n", error->message);
        g_error_free(error);
        return false;
    }
    return true;
}

void enterMockEnvironment(char** argv)
{
    const char* preload = std::getenv("LD_PRELOAD");
    if (preload != nullptr && std::strstr(preload, PELORIN_USBFS_SHIM) != nullptr)
        return;
    std::string chain = std::string(PELORIN_USBFS_SHIM) + ":libumockdev-preload.so.0";
    if (preload != nullptr && *preload != '\0')
        chain += std::string(":") + preload;
    setenv("LD_PRELOAD", chain.c_str(), 1);
    // Under AddressSanitizer the shim comes before the sanitizer's runtime.
    const char* asan = std::getenv("ASAN_OPTIONS");
    std::string options = asan != nullptr && *asan != '\0' ? std::string(asan) + ":" : "";
    setenv("ASAN_OPTIONS", (options + "verify_asan_link_order=0").c_str(), 1);
    execv("/proc/self/exe", argv);
    std::perror("re-executing under umockdev");
    std::exit(1);
}
