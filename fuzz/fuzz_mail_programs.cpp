// The mail programs' configuration readers on arbitrary text: none may
// crash, hang or name an empty path, and a mutt signature that is a command
// is never taken for a file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "core/mail_programs.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckTails(const std::vector<tarnwick::MailTail>& tails) {
    for (const tarnwick::MailTail& tail : tails) {
        Check(!tail.path.empty() && !tail.program.empty());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kHome = "/home/jane";
    for (const tarnwick::GeckoProfile& profile : tarnwick::ReadGeckoProfiles(text)) {
        Check(!profile.path.empty());
    }
    CheckTails(tarnwick::ReadGeckoPrefs(text, "Thunderbird"));
    CheckTails(tarnwick::ReadClawsAccounts(text));
    const std::vector<tarnwick::MailTail> mutt = tarnwick::ReadMuttrc(text, "mutt", kHome);
    CheckTails(mutt);
    for (const tarnwick::MailTail& tail : mutt) {
        const std::size_t last = tail.path.find_last_not_of(" \t\v\f");
        Check(last == std::string_view::npos || tail.path[last] != '|');
    }
    CheckTails(tarnwick::ReadAercAccounts(text, kHome));
    CheckTails(tarnwick::ReadKMailIdentities(text, kHome));
    return 0;
}
