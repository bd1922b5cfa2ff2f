// --find-tails: the tail files that the mail programs on this machine read.
#pragma once

#include <string_view>
#include <vector>

#include "core/app_state.h"
#include "core/mail_programs.h"
#include "core/services.h"
#include "core/startup.h"

namespace tarnwick {

// The tail files the configuration files name, each once, in the files'
// order.
std::vector<MailTail> FindMailTails(const std::vector<MailConfigFile>& files, std::string_view home);

// The tail files of the mail programs that `services.mailFiles` finds, one
// line each: program, identity, path and whether the file exists and is the
// current tail file, separated by tabs; a control character in a field
// becomes a space. Returns 0 when it found any, kNoneFoundStatus when none.
int PrintMailTails(const AppState& state, Services& services, TextOutput& output);

}  // namespace tarnwick
