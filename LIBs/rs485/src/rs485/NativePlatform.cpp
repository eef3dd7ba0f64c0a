#include <rs485/SerialPlatform.h>

#ifdef _WIN32
#include <rs485/WindowsSerialPlatform.h>
#else
#include <rs485/LinuxSerialPlatform.h>
#endif

namespace rs485 {

SerialPlatform& nativeSerialPlatform()
{
#ifdef _WIN32
    static WindowsSerialPlatform platform;
#else
    static LinuxSerialPlatform platform;
#endif
    return platform;
}

} // namespace rs485
