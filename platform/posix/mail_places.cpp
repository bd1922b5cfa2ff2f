// Where the mail programs keep their settings on Linux and other Unix
// systems.
#include "platform/mail_config_files.h"
#include "platform/posix/user_folders.h"
#include "platform/settings_location.h"

namespace tarnwick {

std::vector<MailConfigPlace> MailConfigPlaces() {
    const std::string home = UserHomeFolder();
    const std::string config = UserConfigFolder();
    if (home.empty()) {
        return {};
    }
    const auto inHome = [&](std::string_view name) { return JoinPath(home, name); };
    const auto inConfig = [&](std::string_view name) { return JoinPath(config, name); };
    return {
        {MailConfigKind::GeckoPrefs,
         "Thunderbird",
         {inHome(".thunderbird/profiles.ini"), inHome(".mozilla-thunderbird/profiles.ini"),
          inHome("snap/thunderbird/common/.thunderbird/profiles.ini"),
          inHome(".var/app/org.mozilla.Thunderbird/.thunderbird/profiles.ini")}},
        {MailConfigKind::GeckoPrefs, "Icedove", {inHome(".icedove/profiles.ini")}},
        {MailConfigKind::GeckoPrefs, "SeaMonkey", {inHome(".mozilla/seamonkey/profiles.ini")}},
        {MailConfigKind::ClawsAccounts, "Claws Mail", {inHome(".claws-mail/accountrc")}},
        {MailConfigKind::Muttrc,
         "mutt",
         {inHome(".muttrc"), inHome(".mutt/muttrc"), inConfig("mutt/muttrc")},
         true},
        {MailConfigKind::Muttrc,
         "NeoMutt",
         {inConfig("neomutt/neomuttrc"), inConfig("neomutt/muttrc"), inConfig("mutt/neomuttrc"),
          inConfig("mutt/muttrc"), inHome(".neomutt/neomuttrc"), inHome(".neomutt/muttrc"),
          inHome(".mutt/neomuttrc"), inHome(".mutt/muttrc"), inHome(".neomuttrc"), inHome(".muttrc")},
         true},
        {MailConfigKind::AercAccounts, "aerc", {inConfig("aerc/accounts.conf")}},
        {MailConfigKind::KMailIdentities, "KMail", {inConfig("emailidentities")}},
        {MailConfigKind::PlainSignature, "Many programs", {inHome(".signature")}},
    };
}

std::string MailHomeFolder() {
    return UserHomeFolder();
}

}  // namespace tarnwick
