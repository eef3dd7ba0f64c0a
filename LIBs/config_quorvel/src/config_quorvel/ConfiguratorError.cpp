#include <config_quorvel/ConfiguratorError.h>

#include <boot_loader/BootloaderException.h>

namespace config_quorvel {

namespace {

constexpr const char* messages[] = {
    "Нет связи с преобразователем USB-RS485.",
    "Нет связи с прибором. Проверьте подключение.",
    "Плохая связь с прибором. Проверьте подключение.",
    "Подключённый прибор не совместим с данной версией программы.",
    "Подключённый прибор не может быть настроен данной программой.",
    "Внутренняя ошибка загрузчика прибора.",
    "Несовместимая версия ПО прибора.",
    "Внутренняя ошибка программы-конфигуратора.",
    "Чтение прервано",
};

constexpr const char* unknownMessage = "Неизвестная ошибка.";

std::uint32_t fromLoaderCode(std::int32_t code)
{
    using L = boot_loader::BootloaderException;
    switch (code) {
    case L::NoConverter:
        return ConfiguratorError::NoConverter;
    case L::NoDevice:
        return ConfiguratorError::NoDevice;
    case L::AnswerChecksum:
    case L::CommandChecksum:
    case L::AnswerFormat:
        return ConfiguratorError::BadLink;
    case L::LoaderInternal:
        return ConfiguratorError::LoaderInternal;
    case L::Cancelled:
        return ConfiguratorError::Cancelled;
    default: // a bad address in our own command, or a code we do not know
        return ConfiguratorError::ProgramInternal;
    }
}

} // namespace

ConfiguratorError::ConfiguratorError(std::uint32_t code) : errorCode(code) {}

ConfiguratorError::ConfiguratorError(const boot_loader::BootloaderException& cause)
    : errorCode(fromLoaderCode(cause.code()))
{
}

const char* ConfiguratorError::what() const noexcept
{
    if (errorCode < sizeof messages / sizeof messages[0])
        return messages[errorCode];
    return unknownMessage;
}

} // namespace config_quorvel
