#include <rs485/Exceptions.h>

namespace rs485 {

const char* DisconnectException::what() const noexcept
{
    return "Нет связи с преобразователем USB-RS485";
}

const char* ReceiveTimeoutException::what() const noexcept
{
    return "Превышен тайм-аут ожидания данных";
}

} // namespace rs485
