// Finds and reads the mail programs' configuration files in their standard
// places; the core's readers make sense of them.
#pragma once

#include <string>
#include <vector>

#include "core/services.h"

namespace tarnwick {

// Where one mail program keeps one kind of configuration file. For
// MailConfigKind::GeckoPrefs the paths are of profiles.ini files.
struct MailConfigPlace {
    MailConfigKind kind;
    std::string program;
    std::vector<std::string> paths;  // in the order the program tries them
    bool firstOnly = false;          // the program reads only the first that exists
};

// The places on this system, one file per system.
std::vector<MailConfigPlace> MailConfigPlaces();

// The user's home folder on this system; empty when there is none.
std::string MailHomeFolder();

class NativeMailConfigFiles final : public MailConfigFiles {
public:
    explicit NativeMailConfigFiles(FileSystem& files) : files_(files) {}
    std::vector<MailConfigFile> Read() override;
    std::string HomeFolder() override;
    bool Exists(const std::string& path) override;

private:
    FileSystem& files_;
};

}  // namespace tarnwick
