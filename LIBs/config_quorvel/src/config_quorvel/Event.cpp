#include <config_quorvel/Event.h>

#include <config_quorvel/Configuration.h>
#include <config_quorvel/WideText.h>

#include <cstdio>

namespace config_quorvel {

namespace {

enum EventClass {
    resetClass = 0,
    deviceFaultClass = 1,
    loopStateClass = 2,
    menuCommandClass = 3,
    groupCommandClass = 4,
    addressCommandClass = 5,
};

// The loop or line a state or name belongs to: code AND 0x18.
enum LoopBits { loop1Bits = 0x00, loop2Bits = 0x08, line3Bits = 0x10, line4Bits = 0x18 };

constexpr std::uint8_t notAcknowledged = 0x80;

std::u16string commandText(std::uint8_t code)
{
    if (code & notAcknowledged)
        return u"КОМАНДА (нет подтверждения)";
    return u"КОМАНДА";
}

} // namespace

Event::Event(const std::vector<std::uint8_t>& record, const Configuration* configuration)
    : configurationPtr(configuration)
{
    if (record.size() != 8)
        return;
    dateTimeValue = (std::uint32_t(record[0]) << 24) | (std::uint32_t(record[1]) << 16)
        | (std::uint32_t(record[2]) << 8) | std::uint32_t(record[3]);
    emergencyFlag = (record[4] & 0x80) != 0;
    addressValue = record[4] & 0x7F;
    sectionNumberValue = record[5] >> 3;
    eventClassValue = record[5] & 0x07;
    codeValue = record[6];
    if (eventClassValue == loopStateClass)
        loopNumberValue = ((codeValue >> 3) & 3) + 1;
    else if (eventClassValue == addressCommandClass && addressValue != 0 && !(codeValue & 0x08))
        loopNumberValue = (codeValue & 1) + 1;
}

std::string Event::dateTimeText() const
{
    if (dateTimeValue == 0)
        return {};
    const unsigned v = dateTimeValue;
    char text[32];
    std::snprintf(text, sizeof text, "%u/%02u/%02u %02u:%02u:%02u", (v >> 26) + 2010,
                  (v >> 22) & 0x0F, (v >> 17) & 0x1F, (v >> 12) & 0x1F, (v >> 6) & 0x3F, v & 0x3F);
    return text;
}

const Configuration& Event::currentConfiguration() const
{
    // An event built without a configuration labels itself with the defaults.
    static const Configuration empty;
    return configurationPtr ? *configurationPtr : empty;
}

const std::shared_ptr<DeviceNames>& Event::findDeviceNames() const
{
    static const std::shared_ptr<DeviceNames> none;
    const auto& sections = currentConfiguration().sections;
    const auto section = sections.find(sectionNumberValue);
    if (section == sections.end())
        return none;
    const auto device = section->second.devices.find(addressValue);
    if (device == section->second.devices.end())
        return none;
    return device->second.names;
}

const EventTable& Event::eventTableOfDevice() const
{
    const auto& names = findDeviceNames();
    return currentConfiguration().eventTable(names ? static_cast<unsigned>(names->eventTable) : 0u);
}

std::u16string Event::objectText() const
{
    if (eventClassValue == menuCommandClass)
        return menuCommandText();
    if (addressValue == 0)
        return sectionText();
    if (eventClassValue == addressCommandClass)
        return addressCommandText();
    if (eventClassValue == deviceFaultClass)
        return deviceNameText();
    if (eventClassValue == loopStateClass)
        return loopNameText();
    const auto& names = findDeviceNames();
    return names ? names->deviceName
                 : DeviceNames::defaultDeviceName(addressValue, sectionNumberValue);
}

std::u16string Event::deviceNameText() const
{
    const auto& names = findDeviceNames();
    if (codeValue == 5)
        return names ? names->outsName
                     : DeviceNames::defaultOutsName(addressValue, sectionNumberValue);
    return names ? names->deviceName
                 : DeviceNames::defaultDeviceName(addressValue, sectionNumberValue);
}

std::u16string Event::loopNameText() const
{
    const auto& names = findDeviceNames();
    const int a = addressValue;
    const int s = sectionNumberValue;
    switch (codeValue & 0x18) {
    case loop1Bits:
        return names ? names->loop1Name : DeviceNames::defaultLoop1Name(a, s);
    case loop2Bits:
        return names ? names->loop2Name : DeviceNames::defaultLoop2Name(a, s);
    case line3Bits:
        return names ? names->line3Name : DeviceNames::defaultLine3Name(a, s);
    default:
        return names ? names->line4Name : DeviceNames::defaultLine4Name(a, s);
    }
}

std::u16string Event::sectionText() const
{
    const Configuration& configuration = currentConfiguration();
    if (sectionNumberValue != 0) {
        const auto found = configuration.sections.find(sectionNumberValue);
        const Section* section = found == configuration.sections.end() ? nullptr : &found->second;
        // Both names come from one name record: a section without a name has
        // no dubler name either.
        const bool named = section && !section->name.empty();
        const bool dublerEvent = (eventClassValue == resetClass && codeValue == 1)
            || (eventClassValue == deviceFaultClass && codeValue == 6);
        if (dublerEvent)
            return named ? section->dublerName : Section::defaultDublerName(sectionNumberValue);
        return named ? section->name : Section::defaultSectionName(sectionNumberValue);
    }

    if (eventClassValue == groupCommandClass)
        return u"Центральный пульт";
    if (eventClassValue == addressCommandClass)
        return u"Отмена тревоги";
    if (eventClassValue == resetClass) {
        switch (codeValue) {
        case 0:
            return u"Запуск опроса";
        case 1:
            return u"Сброс из меню пульта";
        case 2:
            return configuration.pultType ? u"Сброс по команде от компьютера" : u"Сброс по команде от центрального пульта";
        default:
            break;
        }
    }
    return u"Пульт";
}

std::u16string Event::menuCommandText() const
{
    const unsigned k = codeValue & 0x3F;
    const auto& commands = currentConfiguration().commands;
    std::u16string text;
    if (k < commands.size())
        text = u'"' + commands[k].name + u"\" ";
    return text + u"(Меню пульта: команда №" + decimal(k + 1) + u')';
}

std::u16string Event::addressCommandText() const
{
    std::u16string text = u"Адрес ";
    if (sectionNumberValue != 0)
        text += decimal(static_cast<unsigned>(sectionNumberValue)) + u'.';
    text += decimal(static_cast<unsigned>(addressValue)) + u": ";
    text += (codeValue & 0x10) ? u"включить " : u"выключить ";
    text += (codeValue & 0x08) ? u"выход " : u"шлейф ";
    return text + decimal((codeValue & 7u) + 1);
}

std::u16string Event::eventText() const
{
    switch (eventClassValue) {
    case resetClass:
        return u"СБРОС";
    case deviceFaultClass:
        return deviceEventText();
    case loopStateClass:
        return loopEventText();
    case menuCommandClass:
    case addressCommandClass:
        return commandText(codeValue);
    case groupCommandClass:
        return groupCommandText();
    default:
        return u"Неизвестный код события (" + decimal(static_cast<unsigned>(eventClassValue)) + u')';
    }
}

std::u16string Event::deviceEventText() const
{
    switch (codeValue) {
    case 0:
        return addressValue != 0 ? eventTableOfDevice().deviceTamper : u"ВСКРЫТИЕ";
    case 1:
        return u"Пониженное напряжение питания";
    case 2:
        return u"Повышенное напряжение питания";
    case 3:
        return u"НЕТ СВЯЗИ";
    case 4:
        return u"ОШИБКА CRC (Плохая связь)";
    case 5:
        return eventTableOfDevice().outsFailure;
    case 6:
        return u"НЕТ СВЯЗИ с пультом-дублёром";
    default:
        return u"Неизвестный код неисправности (" + decimal(codeValue) + u')';
    }
}

std::u16string Event::loopEventText() const
{
    const EventTable& table = eventTableOfDevice();
    const int state = codeValue & 7;
    switch (codeValue & 0x18) {
    case loop1Bits:
        return table.text(state);
    case loop2Bits:
        return table.text(8 + state);
    default:
        break;
    }
    // Lines have three states, numbered 0, 1 and 7; their slots follow the loops'.
    const int first = (codeValue & 0x18) == line3Bits ? 16 : 19;
    switch (state) {
    case 0:
        return table.text(first);
    case 1:
        return table.text(first + 1);
    case 7:
        return table.text(first + 2);
    default:
        return u"Неизвестный код состояния л.с. (" + decimal(static_cast<unsigned>(state)) + u')';
    }
}

std::u16string Event::groupCommandText() const
{
    std::u16string text = u"ГРУППОВАЯ КОМАНДА ";
    bool first = true;
    for (unsigned bit = 0; bit < 8; ++bit) {
        if (!(codeValue & (1u << bit)))
            continue;
        if (!first)
            text += u", ";
        text += decimal(bit);
        first = false;
    }
    return text;
}

} // namespace config_quorvel
