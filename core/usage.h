// The texts of --help and --version, kept here alone so that the manual page
// and the program can be checked against one list of options.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// Every form of the command line, the exit statuses and where the settings
// file is; lines end in LF.
std::string UsageText();

// "tarnwick " and the version, then LF.
std::string VersionText();

// The short message about a first word that looks like an option but is none.
std::string UnknownOptionError(std::string_view word);

// The message about a first word that is neither a key name nor an option,
// given where no main window can open instead; it lists the seven keys.
std::string NotASlotKeyError(std::string_view word);

}  // namespace tarnwick
