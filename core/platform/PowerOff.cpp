#include "core/platform/PowerOff.h"

#include <QProcess>

namespace {

class InertPowerOff final : public PowerOff {
public:
    bool powerOff() override { return false; }
};

PowerOff &inert() {
    static InertPowerOff nothing;
    return nothing;
}

PowerOff *&current() {
    static PowerOff *active = &inert();
    return active;
}

} // namespace

bool SystemPowerOff::powerOff() {
    return QProcess::startDetached(QStringLiteral("systemctl"), {QStringLiteral("poweroff")});
}

PowerOff &powerOff() {
    return *current();
}

void SetPowerOff(PowerOff *replacement) {
    current() = replacement ? replacement : &inert();
}
