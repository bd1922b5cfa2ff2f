// Where the mail programs keep their settings on Windows.
#include <windows.h>

#include "platform/mail_config_files.h"
#include "platform/settings_location.h"
#include "platform/windows/text.h"

namespace tarnwick {
namespace {

// A folder the environment names; empty when it names none.
std::string EnvironmentFolder(const wchar_t* name) {
    const DWORD length = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (length == 0) {
        return {};
    }
    std::wstring folder(length, L'\0');
    folder.resize(::GetEnvironmentVariableW(name, folder.data(), length));
    return AnsiText(folder);
}

}  // namespace

std::vector<MailConfigPlace> MailConfigPlaces() {
    const std::string roaming = EnvironmentFolder(L"APPDATA");
    const std::string local = EnvironmentFolder(L"LOCALAPPDATA");
    std::vector<MailConfigPlace> places;
    if (!roaming.empty()) {
        places.push_back(
            {MailConfigKind::GeckoPrefs, "Thunderbird", {JoinPath(roaming, "Thunderbird\\profiles.ini")}});
        places.push_back({MailConfigKind::GeckoPrefs,
                          "SeaMonkey",
                          {JoinPath(roaming, "Mozilla\\SeaMonkey\\profiles.ini")}});
        places.push_back(
            {MailConfigKind::ClawsAccounts, "Claws Mail", {JoinPath(roaming, "Claws-mail\\accountrc")}});
    }
    if (!local.empty()) {
        places.push_back({MailConfigKind::KMailIdentities, "KMail", {JoinPath(local, "emailidentities")}});
    }
    return places;
}

std::string MailHomeFolder() {
    return EnvironmentFolder(L"USERPROFILE");
}

}  // namespace tarnwick
