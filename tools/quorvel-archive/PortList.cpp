#include <PortList.h>

#include <rs485/RS485Connection.h>
#include <rs485/SerialPlatform.h>

#include <algorithm>

namespace quorvel_archive {

std::string portListText(rs485::SerialPlatform& platform)
{
    std::vector<std::string> ports = rs485::RS485Connection::serialPortNames(platform);
    const std::vector<std::string> converters = rs485::RS485Connection::converterPortNames(platform);
    const auto isConverter = [&](const std::string& name) {
        return std::find(converters.begin(), converters.end(), name) != converters.end();
    };
    // A converter the system lists apart from its serial ports is still a port to read from.
    for (const std::string& name : converters)
        if (std::find(ports.begin(), ports.end(), name) == ports.end())
            ports.push_back(name);
    rs485::sortPortNames(ports);

    std::string text;
    for (const std::string& name : ports) {
        text += name;
        if (isConverter(name))
            text += "\tUSB-RS485";
        text += '\n';
    }
    return text;
}

} // namespace quorvel_archive
