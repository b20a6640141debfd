// SPDX-License-Identifier: Apache-2.0
// A Qt program that made its own application object reads through the C
// interface from its GUI thread; a read from another thread, made while the
// GUI thread's read is still under way, is refused at once.
#include <pelorin/pelorin_c.h>

#include <QGuiApplication>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv)
{
    // The GUI thread's read takes this long: the other thread reads meanwhile.
    setenv("KVSSIM_SCENARIO", "block:1500", 1);
    QGuiApplication application(argc, argv);

    std::atomic<bool> guiReading{true};
    int elsewhere = PELORIN_OK;
    bool duringGuiRead = false;
    pelorin_card* elsewhereCard = nullptr;
    std::thread other([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        elsewhere = pelorin_read(&elsewhereCard);
        duringGuiRead = guiReading;
    });
    pelorin_card* card = nullptr;
    const int own = pelorin_read(&card);
    guiReading = false;
    other.join();

    int failures = 0;
    if (own != PELORIN_OK) {
        std::fprintf(stderr, "the GUI thread's read: %s\n", pelorin_result_name(own));
        ++failures;
    }
    if (elsewhere != PELORIN_WRONG_THREAD || elsewhereCard != nullptr) {
        std::fprintf(stderr, "another thread's read: %s, expected PELORIN_WRONG_THREAD\n",
                     pelorin_result_name(elsewhere));
        ++failures;
    } else if (!duringGuiRead) {
        std::fprintf(stderr, "another thread's read was refused only after the GUI thread's read ended\n");
        ++failures;
    }
    pelorin_card_free(card);
    pelorin_card_free(elsewhereCard);
    if (failures == 0)
        std::puts("qt_host_test: all checks passed");
    return failures == 0 ? 0 : 1;
}
