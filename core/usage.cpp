#include "core/usage.h"

#include <string_view>

#include "core/app_state.h"

namespace tarnwick {

namespace {

// The project's version, given by the build.
constexpr std::string_view kVersion = TARNWICK_VERSION;

constexpr std::string_view kUsage =
    "Usage:\n"
    "  tarnwick               open the main window\n"
    "  tarnwick KEY           write the block KEY into the tail file, say so, end\n"
    "  tarnwick KEY NOMSG     the same without the success message\n"
    "  tarnwick --status      print which slot the tail file holds\n"
    "  tarnwick --refresh     write that slot again with the date and time of now, silently\n"
    "  tarnwick --list        print the seven slots and whether the base file has each block\n"
    "  tarnwick --find-tails  print the tail files that the mail programs here read\n"
    "  tarnwick --print [KEY] print the block KEY as the tail would hold it, or without\n"
    "                         KEY the live slot's, with the date and time of now; for\n"
    "                         mail programs that run a command for the signature\n"
    "  tarnwick --help        print this text\n"
    "  tarnwick --version     print the version\n"
    "\n"
    "KEY is a slot's key name in any case: OFFI-1, OFFI-2, PRIV-1, PRIV-2, PRIV-3,\n"
    "PRIV-4 or PRIV-5. NOMSG (any case) must follow the key after exactly one\n"
    "space; any other text after the key is ignored. A first word that is\n"
    "neither a key name nor an option opens the main window; without a display\n"
    "it is reported as no slot key (exit status 2).\n"
    "\n"
    "Exit status:\n"
    "  0  success\n"
    "  1  a failure was reported\n"
    "  2  an unknown option, or the main window needs a display and has none\n"
    "  3  --status, --refresh, --print without KEY: the tail file holds none of\n"
    "     the seven slots;\n"
    "     --find-tails: no mail program's tail file was found\n"
    "\n"
    "Settings file: Tarnwick.ini beside the executable when it exists there or\n"
    "that folder is writable; otherwise $XDG_CONFIG_HOME/tarnwick/Tarnwick.ini\n"
    "(~/.config/tarnwick/Tarnwick.ini), on Windows %APPDATA%\\Tarnwick\\Tarnwick.ini.\n";

}  // namespace

std::string UsageText() {
    return std::string(kUsage);
}

std::string VersionText() {
    std::string text = "tarnwick ";
    text += kVersion;
    text += '\n';
    return text;
}

std::string UnknownOptionError(std::string_view word) {
    std::string text = "Unknown option ";
    text += word;
    text += ". See tarnwick --help.";
    return text;
}

std::string NotASlotKeyError(std::string_view word) {
    std::string text = "\"";
    text += word;
    text += "\" is not a slot key.\r\nThe slot keys are";
    for (const std::string_view key : kSlotKeyNames) {
        text += ' ';
        text += key;
    }
    text += ", in any case.\r\nSee tarnwick --help.";
    return text;
}

}  // namespace tarnwick
