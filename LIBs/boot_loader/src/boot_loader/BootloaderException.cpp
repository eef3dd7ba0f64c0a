#include <boot_loader/BootloaderException.h>

namespace boot_loader {

namespace {
const char* const messages[] = {
    "Нет связи с преобразователем USB-RS485",
    "Нет связи с прибором",
    "Неправильная контрольная сумма в ответе",
    "Неправильная контрольная сумма в команде",
    "Неправильный адрес в команде",
    "Внутренняя ошибка загрузчика",
    "Неправильный формат ответа",
    "Чтение прервано",
};
const char* const unknownMessage = "Неизвестная ошибка";
} // namespace

const char* BootloaderException::message(std::int32_t code) noexcept
{
    constexpr std::int32_t count = static_cast<std::int32_t>(sizeof messages / sizeof messages[0]);
    if (code < 0 || code >= count)
        return unknownMessage;
    return messages[code];
}

const char* BootloaderException::what() const noexcept
{
    return message(errorCode);
}

} // namespace boot_loader
