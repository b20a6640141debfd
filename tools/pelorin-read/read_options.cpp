#include "read_options.h"

namespace {

// Takes the value of "--name FILE" or "--name=FILE"; false when it is missing.
bool takeValue(const QString& arg, const QString& name, int argc, char** argv, int& i,
               QString& value, QString& error)
{
    if (arg.startsWith(name + "=")) {
        value = arg.mid(name.size() + 1);
    } else if (i + 1 < argc) {
        value = QString::fromLocal8Bit(argv[++i]);
    } else {
        error = name + " needs a file name";
        return false;
    }
    if (value.isEmpty()) {
        error = name + " needs a file name";
        return false;
    }
    return true;
}

}  // namespace

ReadOptions parseReadOptions(int argc, char** argv)
{
    ReadOptions options;
    const struct {
        const char* name;
        QString ReadOptions::*target;
    } fileOptions[] = {{"--photo", &ReadOptions::photoFile},
                       {"--front", &ReadOptions::frontFile},
                       {"--back", &ReadOptions::backFile}};

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
        bool known = false;
        for (const auto& option : fileOptions) {
            const QString name = option.name;
            if (arg == name || arg.startsWith(name + "=")) {
                known = true;
                takeValue(arg, name, argc, argv, i, options.*option.target, options.error);
                break;
            }
        }
        if (!known)
            options.error = "unknown argument: " + arg;
    }
    return options;
}

const char* readUsageText()
{
    return "Usage: pelorin-read [--photo FILE] [--front FILE] [--back FILE]\n"
           "       pelorin-read --help | --version\n"
           "\n"
           "Reads the card on the reader once and prints it as JSON on standard output.\n"
           "\n"
           "  --photo FILE  write the holder's photo (24-bit bitmap, 38862 bytes)\n"
           "  --front FILE  write the card's front face (JPEG)\n"
           "  --back FILE   write the card's back face (JPEG)\n"
           "  --help        show this text\n"
           "  --version     show the library version\n"
           "\n"
           "Exit status: 0 card read; 1 read failed (reason on standard error);\n"
           "2 bad command line; 3 card read but a requested file could not be written.\n";
}
