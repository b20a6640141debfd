// SPDX-License-Identifier: Apache-2.0
#include "read_options.h"

#include "card_copy.h"
#include "usb_read.h"

namespace {

// Takes the value of "--name VALUE" or "--name=VALUE"; sets error when it is missing.
void takeValue(const QString& arg, const QString& name, const QString& what, int argc,
               char** argv, int& i, QString& value, QString& error)
{
    value.clear();
    if (arg.startsWith(name + "=")) {
        value = arg.mid(name.size() + 1);
    } else if (i + 1 < argc) {
        value = QString::fromLocal8Bit(argv[++i]);
    }
    if (value.isEmpty())
        error = name + " needs " + what;
}

QString checkUsbOptions(const ReadOptions& options)
{
    uint16_t vid = 0, pid = 0;
    if (!options.usbIds.isEmpty() && !parseUsbIds(options.usbIds, vid, pid))
        return "--usb needs VID:PID in hexadecimal, such as 0400:c35a";
    if (!options.fpFile.isEmpty() && options.usbIds.isEmpty())
        return "--fp-file works only with --usb";
    if (options.watch && !options.usbIds.isEmpty())
        return "--watch works only through the reader-access library, not with --usb";
    if (!options.copyFile.isEmpty() && !options.usbIds.isEmpty())
        return "--copy works only through the reader-access library, not with --usb";
    return QString();
}

QString checkCopyOptions(const ReadOptions& options)
{
    if (!options.copyFile.isEmpty() && !copyFormatOfFile(options.copyFile))
        return "--copy needs a file name ending in .pdf or .png";
    if (!options.watermark.isEmpty() && options.copyFile.isEmpty())
        return "--watermark works only with --copy";
    return QString();
}

}  // namespace

ReadOptions parseReadOptions(int argc, char** argv)
{
    ReadOptions options;
    QString day;
    const struct {
        const char* name;
        const char* what;
        QString* target;
    } valueOptions[] = {{"--photo", "a file name", &options.photoFile},
                        {"--front", "a file name", &options.frontFile},
                        {"--back", "a file name", &options.backFile},
                        {"--copy", "a file name", &options.copyFile},
                        {"--watermark", "a text", &options.watermark},
                        {"--on", "a date YYYY-MM-DD", &day},
                        {"--usb", "VID:PID", &options.usbIds},
                        {"--fp-file", "a file name", &options.fpFile}};

    for (int i = 1; i < argc && options.error.isEmpty(); ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg == "--version") {
            options.version = true;
            continue;
        }
        if (arg == "--list-readers" || arg == "--probe" || arg == "--watch") {
            (arg == "--probe" ? options.probe : arg == "--watch" ? options.watch : options.listReaders) = true;
            continue;
        }
        bool known = false;
        for (const auto& option : valueOptions) {
            const QString name = option.name;
            if (arg == name || arg.startsWith(name + "=")) {
                known = true;
                takeValue(arg, name, option.what, argc, argv, i, *option.target, options.error);
                break;
            }
        }
        if (!known)
            options.error = "unknown argument: " + arg;
    }
    if (options.error.isEmpty() && !day.isEmpty()) {
        options.checksDay = QDate::fromString(day, Qt::ISODate);
        if (!options.checksDay.isValid() || day.size() != 10)
            options.error = "--on needs a date YYYY-MM-DD";
    }
    if (options.error.isEmpty())
        options.error = checkUsbOptions(options);
    if (options.error.isEmpty())
        options.error = checkCopyOptions(options);
    return options;
}

const char* readUsageText()
{
    return "Usage: pelorin-read [--photo FILE] [--front FILE] [--back FILE]\n"
           "                   [--copy FILE [--watermark TEXT]] [--on YYYY-MM-DD] [--watch]\n"
           "       pelorin-read --usb VID:PID [--photo FILE] [--fp-file FILE]\n"
           "       pelorin-read --list-readers | --probe\n"
           "       pelorin-read --help | --version\n"
           "\n"
           "Reads the card on the reader once and prints it as JSON on standard output.\n"
           "\n"
           "  --photo FILE  write the holder's photo (24-bit bitmap, 38862 bytes)\n"
           "  --front FILE  write the card's front face (JPEG)\n"
           "  --back FILE   write the card's back face (JPEG)\n"
           "  --copy FILE   write a true-size copy of both faces: one A4 page, the front\n"
           "                above the back, each 85.60 x 53.98 mm; FILE.pdf or, at 300 dots\n"
           "                per inch, FILE.png\n"
           "  --watermark TEXT  write TEXT across both faces of the copy, such as what it\n"
           "                is for: \"仅供酒店入住登记使用，他用无效\"\n"
           "  --on YYYY-MM-DD  make the JSON's \"checks\" for this day instead of today\n"
           "  --watch       watch the reader until SIGINT or SIGTERM: for each card placed,\n"
           "                one line of the same JSON (the card is read once, the files\n"
           "                above are written anew); when it is taken away, one line\n"
           "                {\"removed\": \"IDCODE\"} with the card's idCode. A reader\n"
           "                failure is told once on standard error; watching goes on.\n"
           "  --usb VID:PID read from the reader with these USB identifiers (hexadecimal)\n"
           "                over its raw bulk pipes; no card faces on this path\n"
           "  --fp-file FILE  with --usb: write the fingerprint block here instead of\n"
           "                \"fp_raw_data.dat\" in the current directory\n"
           "  --list-readers  show the readers of the readers file and whether each is there\n"
           "  --probe       ask each reader that is there for a card and show its answer\n"
           "  --help        show this text\n"
           "  --version     show the library version\n"
           "\n"
           "Readers: libpelorin reaches the reader through the reader-access library\n"
           "libkvsdecompose.so (package pelorin-reader). At every open it reads a readers\n"
           "file, one reader a line, tried in order:\n"
           "    serial /dev/ttyUSB0          # 115200 baud 8N1\n"
           "    serial /dev/ttyACM0 9600     # another speed\n"
           "    usb 0400:c35a                # vendor:product, hexadecimal\n"
           "    simulated                    # the simulated reader and its built-in card\n"
           "    simulated tests/fixtures/cards/hmt.json   # ... presenting a card file\n"
           "The file is the one PELORIN_READERS names, else pelorin-readers.conf beside\n"
           "the reader-access library (in a build tree: the simulated reader), else\n"
           "/etc/pelorin/readers.conf (installed: names no reader). The library writes\n"
           "to no serial port the file does not name. A vendor's libkvsdecompose.so in\n"
           "its place reads no readers file; the JSON's \"readerLibrary\" names the\n"
           "library that answered.\n"
           "\n"
           "Environment: PELORIN_READERS (above); KVSSIM_CARD (for a simulated line\n"
           "without a card file), KVSSIM_SCENARIO and KVSSIM_SCENARIO_FILE choose the\n"
           "simulated reader's card and behaviour;\n"
           "without DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM the faces are painted\n"
           "offscreen; the library's log pelorin_dbg.log is beside libpelorin, or where\n"
           "that is not writable in $XDG_STATE_HOME/pelorin (~/.local/state/pelorin).\n"
           "\n"
           "Checks: the JSON's \"checks\" tell whether the identity number is well\n"
           "formed (\"idNumberValid\"), agrees with the birth date and the sex\n"
           "(\"birthMatchesIdNumber\", \"genderMatchesIdNumber\"), whether the card has\n"
           "\"expired\" and the holder's \"ageYears\"; null where a check does not apply.\n"
           "\n"
           "Files: the photo, faces, fingerprints and copy are readable by their owner\n"
           "only (mode 0600, whatever the umask).\n"
           "\n"
           "Exit status: 0 card read (--watch: stopped); 1 read failed (reason on\n"
           "standard error); 2 bad command line; 3 card read but a requested file could\n"
           "not be written (named on standard error with the reason). --probe: 0 a\n"
           "reader has a card; 4 a reader answered, none has a card; 5 no reader is\n"
           "there and answered; 6 the readers file is missing, malformed or names no\n"
           "reader, or the reader-access library reads none (--list-readers: 0 or 6).\n";
}
