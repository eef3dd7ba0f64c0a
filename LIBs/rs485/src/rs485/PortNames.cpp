#include <rs485/SerialPlatform.h>

#include <algorithm>

namespace rs485 {

void sortPortNames(std::vector<std::string>& names)
{
    // std::string compares as unsigned bytes, which is the order wanted.
    std::sort(names.begin(), names.end());
}

std::string portDevicePath(const std::string& portName)
{
#ifdef _WIN32
    return portName;
#else
    if (portName.empty() || portName.find('/') != std::string::npos)
        return portName;
    return "/dev/" + portName;
#endif
}

} // namespace rs485
