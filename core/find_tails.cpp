#include "core/find_tails.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace tarnwick {
namespace {

std::vector<MailTail> TailsOf(const MailConfigFile& file, std::string_view home) {
    switch (file.kind) {
        case MailConfigKind::GeckoPrefs:
            return ReadGeckoPrefs(file.text, file.program);
        case MailConfigKind::ClawsAccounts:
            return ReadClawsAccounts(file.text);
        case MailConfigKind::Muttrc:
            return ReadMuttrc(file.text, file.program, home);
        case MailConfigKind::AercAccounts:
            return ReadAercAccounts(file.text, home);
        case MailConfigKind::KMailIdentities:
            return ReadKMailIdentities(file.text, home);
        case MailConfigKind::PlainSignature:
            return {{file.program, "default signature file", file.path}};
    }
    return {};
}

std::string TailState(const MailTail& tail, const AppState& state, MailConfigFiles& mail, FileSystem& files) {
    if (!mail.Exists(tail.path)) {
        return "missing";
    }
    if (!state.Dest.empty() && files.SameFile(tail.path, state.Dest)) {
        return "exists, the current tail file";
    }
    return "exists";
}

// A field of the tab-separated lines with each control character, a tab or
// a line end above all, made a space: a name or path read from a
// configuration file may hold one, and the line must stay one line of four
// fields. A backslash escape would read as a Windows path separator.
std::string Field(std::string_view text) {
    std::string field(text);
    std::replace_if(
        field.begin(), field.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; },
        ' ');
    return field;
}

int NothingFound(TextOutput& output) {
    output.Write("No mail program's tail file was found.\n");
    return kNoneFoundStatus;
}

}  // namespace

std::vector<MailTail> FindMailTails(const std::vector<MailConfigFile>& files, std::string_view home) {
    std::vector<MailTail> found;
    for (const MailConfigFile& file : files) {
        for (MailTail& tail : TailsOf(file, home)) {
            if (std::find(found.begin(), found.end(), tail) == found.end()) {
                found.push_back(std::move(tail));
            }
        }
    }
    return found;
}

int PrintMailTails(const AppState& state, Services& services, TextOutput& output) {
    if (services.mailFiles == nullptr) {
        return NothingFound(output);
    }
    MailConfigFiles& mail = *services.mailFiles;
    const std::vector<MailTail> tails = FindMailTails(mail.Read(), mail.HomeFolder());
    if (tails.empty()) {
        return NothingFound(output);
    }
    std::string text;
    for (const MailTail& tail : tails) {
        text += Field(tail.program) + '\t' + Field(tail.identity) + '\t' + Field(tail.path) + '\t' +
                TailState(tail, state, mail, services.files) + '\n';
    }
    output.Write(text);
    return 0;
}

}  // namespace tarnwick
