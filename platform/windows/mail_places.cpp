// Where the mail programs keep their settings on Windows.
#include "platform/mail_config_files.h"
#include "platform/settings_location.h"
#include "platform/windows/user_folders.h"

namespace tarnwick {

std::vector<MailConfigPlace> MailConfigPlaces() {
    const std::string roaming = UserConfigFolder();
    const std::string local = UserLocalFolder();
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
    return UserHomeFolder();
}

}  // namespace tarnwick
