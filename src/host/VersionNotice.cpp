#include "host/VersionNotice.h"

namespace version_notice {

std::string VersionText(const std::string& program) {
    return program + " " + VELMORA_VERSION + "\n" + kCopyright + "\n" + kLicence + "\n" +
           kNoWarranty + "\n";
}

}  // namespace version_notice
