#include <rs485/SerialPlatform.h>

#include <algorithm>

namespace rs485 {

void sortPortNames(std::vector<std::string>& names)
{
    // std::string compares as unsigned bytes, which is the order wanted.
    std::sort(names.begin(), names.end());
}

} // namespace rs485
