#include <panel_builder/PanelBuilder.h>

#include <config_quorvel/LCDCharset.h>

#include <cstdint>

namespace panel_sim {

namespace {

using config_quorvel::displaySpelling;

NameSet names(int table, const std::u16string& device, const std::u16string& outs,
              const std::u16string& loop1, const std::u16string& loop2,
              const std::u16string& line3 = {}, const std::u16string& line4 = {})
{
    NameSet set;
    set.eventTable = table;
    set.deviceName = displaySpelling(device);
    set.outsName = displaySpelling(outs);
    set.loop1Name = displaySpelling(loop1);
    set.loop2Name = displaySpelling(loop2);
    set.line3Name = displaySpelling(line3);
    set.line4Name = displaySpelling(line4);
    return set;
}

SectionPanel section(int number, int group, bool dubler, std::optional<std::u16string> name,
                     const std::u16string& dublerName, std::vector<SectionDevice> devices)
{
    SectionPanel s;
    s.number = number;
    s.group = group;
    s.dubler = dubler;
    if (name)
        s.name = displaySpelling(*name);
    s.dublerName = displaySpelling(dublerName);
    s.devices = std::move(devices);
    return s;
}

config_quorvel::EventTable securityTable()
{
    config_quorvel::EventTable t;
    t.name = displaySpelling(u"Охрана");
    t.loop1Norm = t.loop2Norm = displaySpelling(u"ВЗЯТ");
    t.loop1Warning = t.loop2Warning = displaySpelling(u"ТРЕВОГА");
    t.loop1Fire = t.loop2Fire = displaySpelling(u"НАПАДЕНИЕ");
    t.loop1TakeOff = t.loop2TakeOff = displaySpelling(u"СНЯТ");
    t.loop1Put = t.loop2Put = displaySpelling(u"ВЗЯТИЕ");
    t.deviceTamper = displaySpelling(u"ВСКРЫТ");
    t.emergency[6] = t.emergency[14] = true;
    return t;
}

config_quorvel::EventTable fireTable()
{
    config_quorvel::EventTable t;
    t.name = displaySpelling(u"Пожарная");
    t.loop1Warning = t.loop2Warning = displaySpelling(u"ДЫМ");
    t.loop1Fire = t.loop2Fire = displaySpelling(u"ПОЖАР!");
    t.line3Activation = displaySpelling(u"ДЫМОУДАЛ.");
    t.line4Activation = displaySpelling(u"ПОДПОР");
    t.outsFailure = displaySpelling(u"ОБРЫВ ВЫХ");
    t.emergency[17] = t.emergency[20] = true;
    return t;
}

// An untitled table that no device uses but that differs from the built-in
// texts, so a read keeps it.
config_quorvel::EventTable spareTable()
{
    config_quorvel::EventTable t;
    t.loop1Norm = displaySpelling(u"ДЕЖУРНЫЙ");
    return t;
}

// Calendar arithmetic for the archive's clock, from 2024-01-01 00:00:00.
std::uint32_t packSeconds(long seconds)
{
    static const int monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}; // 2024
    long days = seconds / 86400;
    const long rest = seconds % 86400;
    int month = 0;
    while (month < 11 && days >= monthDays[month])
        days -= monthDays[month++];
    return packDateTime(2024, month + 1, static_cast<int>(days) + 1, static_cast<int>(rest / 3600),
                        static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
}

ArchiveRecord record(int eventClass, int section, int address, std::uint8_t code, bool emergency = false)
{
    ArchiveRecord r;
    r.eventClass = eventClass;
    r.section = section;
    r.address = address;
    r.code = code;
    r.emergency = emergency;
    return r;
}

// One of every kind of event the archive holds, in the order of a day.
std::vector<ArchiveRecord> eventKinds()
{
    return {
        record(0, 0, 0, 0),            // poll start
        record(0, 1, 0, 0),            // section panel reset
        record(0, 1, 0, 1),            // reset from the dubler panel
        record(0, 0, 0, 2),            // reset by command from the computer
        record(2, 1, 1, 0x00),         // loop 1 norm
        record(2, 1, 1, 0x02, true),   // loop 1 warning
        record(2, 1, 1, 0x0B, true),   // loop 2 fire
        record(2, 1, 2, 0x04),         // loop 1 take-off
        record(2, 1, 3, 0x17),         // line 3 activation
        record(2, 1, 3, 0x19, true),   // line 4 failure
        record(2, 2, 5, 0x06, true),   // loop 1 alarm
        record(2, 2, 6, 0x0D),         // loop 2 put
        record(2, 3, 10, 0x01),        // loop 1 failure
        record(2, 5, 1, 0x12),         // line 3: unknown state
        record(1, 1, 1, 0),            // device tamper
        record(1, 1, 0, 0),            // section panel tamper
        record(1, 2, 5, 1),            // low supply voltage
        record(1, 2, 6, 2),            // high supply voltage
        record(1, 1, 3, 3, true),      // no link with the device
        record(1, 3, 10, 4),           // bad link
        record(1, 1, 2, 5),            // outputs failure
        record(1, 1, 0, 6, true),      // no link with the dubler panel
        record(1, 3, 0, 6),            // the same, dubler without a name
        record(1, 2, 5, 9),            // unknown fault code
        record(1, 7, 0, 3, true),      // section panel that is not configured
        record(3, 0, 0, 0x00),         // menu command 1
        record(3, 0, 0, 0x82),         // menu command 3, not acknowledged
        record(3, 0, 0, 0x09),         // menu command without a slot
        record(4, 0, 0, 0x05),         // group command
        record(4, 2, 0, 0x80),
        record(5, 0, 0, 0x00),         // alarm cancel
        record(5, 1, 1, 0x18),         // switch on output 1
        record(5, 2, 6, 0x81),         // switch off loop 2, not acknowledged
        record(5, 0, 40, 0x11),        // address command without a section
        record(2, 0, 7, 0x08),         // device without names on the panel itself
        record(6, 0, 0, 0),            // undefined class
    };
}

} // namespace

PanelDescription demoPanel()
{
    PanelDescription d;
    d.settings.pultType = true;
    d.settings.individualReset = true;
    d.settings.voltage = true;
    d.settings.pultAddress = 1;

    d.sections = {
        section(1, 1, true, u"Главный корпус", u"Пост охраны",
                {{1, names(1, u"Вход главный", u"Сирена вход", u"Дверь главная", u"Окна 1 этаж",
                           u"Табло Выход", u"Клапан дыма")},
                 {2, names(0, u"Коридор 2 этаж", u"Оповещение", u"Дымовые 2 эт.", u"Ручные 2 эт.")},
                 {3, names(2, u"Серверная", u"Газ. тушение", u"Дымовые", u"Тепловые",
                           u"Дымоудаление", u"Подпор воздуха")}}),
        section(2, 2, false, u"Склад", {},
                {{5, names(1, u"Ворота склада", u"Прожектор", u"Ворота", u"Калитка")},
                 {6, names(1, u"Стеллажи", u"", u"Зона А", u"Зона Б")}}),
        section(3, 1, true, u"Гараж", {},
                {{10, names(2, u"Гараж бокс 1", u"Сирена гараж", u"Бокс 1", u"Бокс 2")}}),
        section(5, 3, false, std::nullopt, {}, {{1, NameSet{}}}),
    };

    d.eventTables = {config_quorvel::EventTable(), securityTable(), fireTable(), spareTable()};
    d.eventTables[0].name.clear();

    const auto command = [](int slot, const std::u16string& name, std::uint8_t target) {
        MenuCommand c;
        c.slot = slot;
        c.name = displaySpelling(name);
        c.data = {0xC1, target, 0x01, 0, 0, 0, 0, 0};
        return c;
    };
    d.commands = {command(0, u"Сброс пожара", 0x00), command(1, u"Взять все", 0x01),
                  command(3, u"Снять все", 0x02), command(4, u"Включить сирену", 0x10)};

    // The ring has wrapped: the oldest records stand near the end of the
    // archive, the newest at its start.
    d.firstRecordSlot = 8100;
    const std::vector<ArchiveRecord> kinds = eventKinds();
    std::uint32_t random = 12345;
    long seconds = 14L * 86400 + 8 * 3600;
    for (int i = 0; i < 320; ++i) {
        random = random * 1103515245u + 12345u;
        seconds += 5 + static_cast<long>((random >> 16) % 1800);
        ArchiveRecord r = kinds[static_cast<std::size_t>(i) % kinds.size()];
        r.dateTime = packSeconds(seconds);
        d.records.push_back(r);
    }
    // A record whose check byte was damaged: the viewer skips it.
    d.records[100].validCheck = false;
    return d;
}

PanelDescription demoZonePanel()
{
    PanelDescription d;
    PanelSettings& s = d.settings;
    s.firmwareDay = 21;
    s.firmwareMonth = 11;
    s.firmwareYear = 2023;
    s.versionMinor = 4;
    s.versionBuild = 0;
    s.settingsRevision = 7;
    s.backlightLevel = 0;
    s.backlightTime = 15;
    s.messageTime = 20;
    s.menuTime = 45;
    s.clockSyncHour = 30; // stored as "not set"
    s.pultAddress = 7;

    NameSet pumps;
    pumps.eventTable = 1;
    pumps.deviceName = displaySpelling(u"Насосная");
    NameSet boilers;
    boilers.deviceName = displaySpelling(u"Котельная");
    d.zoneDevices = {{3, 1, pumps}, {4, 2, boilers}, {9, 2, std::nullopt}};
    config_quorvel::EventTable guarded;
    guarded.name = displaySpelling(u"Охрана");
    guarded.loop1Norm = displaySpelling(u"ВЗЯТ");
    d.eventTables = {config_quorvel::EventTable(), guarded};
    MenuCommand start;
    start.slot = 0;
    start.name = displaySpelling(u"Пуск");
    d.commands = {start};

    // 364 events from 2 to about 29 January 2024, loop norms and warnings
    // of the three devices and resets of the panel.
    const int addresses[] = {3, 4, 9, 0};
    std::uint32_t random = 2024;
    long seconds = 86400L + 7 * 3600;
    for (int i = 0; i < 364; ++i) {
        random = random * 1103515245u + 12345u;
        seconds += 600 + static_cast<long>((random >> 16) % 12000);
        const int address = addresses[i % 4];
        const bool warning = address != 0 && i % 7 == 3;
        ArchiveRecord r = address == 0 ? record(0, 0, 0, 0) : record(2, 0, address, warning ? 0x02 : 0x00, warning);
        r.dateTime = packSeconds(seconds);
        d.records.push_back(r);
    }
    // After a power cut the clock started again in 2011 until it was set.
    ArchiveRecord restart = record(0, 0, 0, 0);
    restart.dateTime = packDateTime(2011, 1, 1, 0, 0, 12);
    d.records.insert(d.records.begin() + 200, restart);
    return d;
}

} // namespace panel_sim
