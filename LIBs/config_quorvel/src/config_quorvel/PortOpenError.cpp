#include <config_quorvel/PortOpenError.h>

namespace config_quorvel {

std::string portOpenErrorText(const std::string& portName, rs485::OpenFailure failure)
{
    const std::string text = "Ошибка при открытии порта " + portName;
    if (failure == rs485::OpenFailure::Busy)
        return text + ": порт занят другой программой";
    return text;
}

} // namespace config_quorvel
