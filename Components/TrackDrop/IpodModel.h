#pragma once

#include <string>

// Which iPod is mounted, and whether its database can be written so that
// the iPod accepts it: the iPod classic and the 3rd and 4th generation
// nano reject a database without a checksum made from the iPod's
// FirewireGuid; later models need checksums libgpod cannot make safely.
namespace trackdrop {

struct IpodModel {
    std::string name;       // "iPod Classic", "iPod Video (2nd Gen.)", ...
    bool known = false;     // the model number in SysInfo is one libgpod knows
    bool playsVideo = true; // as far as is known
    // Why a database written for this iPod would be rejected or could not
    // be written; empty when it can be.
    std::string refusal;
};

IpodModel readIpodModel(const std::string &mountPoint);

// The checksum scheme recorded in a database's header: 0 none, 1 the
// FirewireGuid hash, 2 and 3 later ones; -1 when the header is not there.
int databaseChecksumScheme(const std::string &database);

} // namespace trackdrop
