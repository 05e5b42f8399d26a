#include "Components/TrackDrop/IpodModel.h"

#include "Components/TrackDrop/SafeFiles.h"

#include <gpod/itdb.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>

namespace trackdrop {
namespace {

// The checksum schemes, as the database header numbers them.
enum Scheme { None = 0, FirewireHash = 1, HashInfo = 2, Unsupported = 3 };

// The scheme libgpod uses for a model it knows from SysInfo.
int schemeOfGeneration(Itdb_IpodGeneration generation) {
    switch (generation) {
    case ITDB_IPOD_GENERATION_CLASSIC_1:
    case ITDB_IPOD_GENERATION_CLASSIC_2:
    case ITDB_IPOD_GENERATION_CLASSIC_3:
    case ITDB_IPOD_GENERATION_NANO_3:
    case ITDB_IPOD_GENERATION_NANO_4:
        return FirewireHash;
    case ITDB_IPOD_GENERATION_NANO_5:
    case ITDB_IPOD_GENERATION_TOUCH_1:
    case ITDB_IPOD_GENERATION_TOUCH_2:
    case ITDB_IPOD_GENERATION_TOUCH_3:
    case ITDB_IPOD_GENERATION_IPHONE_1:
    case ITDB_IPOD_GENERATION_IPHONE_2:
    case ITDB_IPOD_GENERATION_IPHONE_3:
        return HashInfo;
    case ITDB_IPOD_GENERATION_IPAD_1:
    case ITDB_IPOD_GENERATION_IPHONE_4:
    case ITDB_IPOD_GENERATION_TOUCH_4:
    case ITDB_IPOD_GENERATION_NANO_6:
        return Unsupported;
    default:
        return None;
    }
}

// The scheme libgpod uses for the database version that SysInfoExtended
// gives.
int schemeOfDatabaseVersion(long version) {
    if (version <= 2)
        return None;
    if (version == 3)
        return FirewireHash;
    return version == 4 ? HashInfo : Unsupported;
}

// The text of the element after "<key>name</key>" in a property list, or
// nothing.
bool plistValue(const std::string &plist, const std::string &key, std::string &value) {
    const std::string marker = "<key>" + key + "</key>";
    const std::size_t at = plist.find(marker);
    if (at == std::string::npos)
        return false;
    const std::size_t open = plist.find('>', plist.find('<', at + marker.size()));
    const std::size_t close = plist.find('<', open);
    if (open == std::string::npos || close == std::string::npos)
        return false;
    value = plist.substr(open + 1, close - open - 1);
    return true;
}

// A FirewireGuid the checksum can be made from: at least eight bytes in
// hexadecimal, "0x" allowed in front.
bool usableGuid(std::string guid) {
    if (guid.starts_with("0x") || guid.starts_with("0X"))
        guid.erase(0, 2);
    return guid.size() >= 16 && guid.size() <= 40 && guid.size() % 2 == 0 &&
           std::all_of(guid.begin(), guid.end(), [](unsigned char c) { return std::isxdigit(c); });
}

struct DeviceDeleter {
    void operator()(Itdb_Device *device) const { itdb_device_free(device); }
};

} // namespace

int databaseChecksumScheme(const std::string &database) {
    // "mhbd", then the hashing scheme as a little-endian 16-bit number at 0x30.
    if (database.size() < 0x32 || database.compare(0, 4, "mhbd") != 0)
        return -1;
    return static_cast<unsigned char>(database[0x30]) |
           (static_cast<unsigned char>(database[0x31]) << 8);
}

IpodModel readIpodModel(const std::string &mountPoint) {
    IpodModel model;
    std::unique_ptr<Itdb_Device, DeviceDeleter> device(itdb_device_new());
    itdb_device_set_mountpoint(device.get(), mountPoint.c_str());

    const Itdb_IpodInfo *info = itdb_device_get_ipod_info(device.get());
    model.known = info != nullptr && info->ipod_generation != ITDB_IPOD_GENERATION_UNKNOWN;
    const char *generation =
        model.known ? itdb_info_get_ipod_generation_string(info->ipod_generation) : nullptr;
    model.name = generation ? std::string("iPod ") + generation : "iPod of an unknown model";
    if (model.known)
        model.playsVideo = itdb_device_supports_video(device.get());

    // What libgpod goes by: SysInfoExtended when the iPod has one, else the
    // model; the FirewireGuid from the same place.
    std::string extended, ignored, version, guid;
    const bool hasExtended =
        readFile(mountPoint + "/iPod_Control/Device/SysInfoExtended", extended, ignored);
    int scheme = None;
    if (hasExtended) {
        scheme = schemeOfDatabaseVersion(plistValue(extended, "DBVersion", version)
                                             ? std::strtol(version.c_str(), nullptr, 10)
                                             : 0);
        plistValue(extended, "FireWireGUID", guid);
    } else {
        if (model.known)
            scheme = schemeOfGeneration(info->ipod_generation);
        if (gchar *value = itdb_device_get_sysinfo(device.get(), "FirewireGuid")) {
            guid = value;
            g_free(value);
        }
    }

    std::string database;
    readFile(mountPoint + "/iPod_Control/iTunes/iTunesDB", database, ignored);
    const int recorded = databaseChecksumScheme(database);

    if (recorded > scheme) {
        model.refusal = model.known ? "its database carries a checksum that libgpod does not make "
                                      "for an " +
                                          model.name
                                    : "its database carries a checksum, but "
                                      "iPod_Control/Device/SysInfo names no model, so the "
                                      "checksum cannot be made again";
    } else if (scheme == FirewireHash && !usableGuid(guid)) {
        model.refusal = "it is an " + model.name +
                        ", whose database needs a checksum made from the iPod's FirewireGuid, "
                        "and neither iPod_Control/Device/SysInfo nor SysInfoExtended gives it";
    } else if (scheme > FirewireHash) {
        model.refusal = "it is an " + model.name +
                        ", whose database needs a checksum that cannot be made safely here";
    }
    return model;
}

} // namespace trackdrop
