#pragma once

// Turning the computer off, behind a seam: the application installs the
// real one at start-up; anything else (tests, tools) gets one that does
// nothing, so no test can ever power a machine off.
class PowerOff {
public:
    virtual ~PowerOff() = default;
    // Asks the system to power off; false when the request could not be made.
    virtual bool powerOff() = 0;
};

// Asks logind through "systemctl poweroff".
class SystemPowerOff final : public PowerOff {
public:
    bool powerOff() override;
};

PowerOff &powerOff();
void SetPowerOff(PowerOff *replacement); // nullptr restores the inert default
