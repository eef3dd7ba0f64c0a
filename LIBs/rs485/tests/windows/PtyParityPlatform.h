#pragma once

#include <rs485/WindowsSerialPlatform.h>

#include <optional>

namespace rs485 {
namespace wine_test {

// A pseudo-terminal drops PARENB, so wine's GetCommState reads back neither
// mark nor space after a mark or space setting (DCB.Parity 8 here), and the
// connection, which switches only from a mark or space that it reads back,
// would leave the parity alone. This platform reads back the parity last set
// instead (tests use one port at a time); every setting still goes to the
// port through SetCommState.
class PtyParityPlatform : public rs485::WindowsSerialPlatform {
public:
    bool getLineSettings(rs485::PortHandle port, rs485::LineSettings& settings) override
    {
        if (!WindowsSerialPlatform::getLineSettings(port, settings))
            return false;
        if (lastSet && settings.parity != rs485::Parity::Mark && settings.parity != rs485::Parity::Space)
            settings.parity = *lastSet;
        return true;
    }
    bool setLineSettings(rs485::PortHandle port, const rs485::LineSettings& settings) override
    {
        if (!WindowsSerialPlatform::setLineSettings(port, settings))
            return false;
        ++settingsWritten;
        if (settings.parity == rs485::Parity::Mark || settings.parity == rs485::Parity::Space)
            lastSet = settings.parity;
        else
            lastSet.reset();
        return true;
    }
    int settingsWritten = 0;

private:
    std::optional<rs485::Parity> lastSet;
};

} // namespace wine_test
} // namespace rs485
