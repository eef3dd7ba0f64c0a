#include <config_quorvel/Configuration.h>
#include <config_quorvel/Event.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace config_quorvel;

namespace {

Event event(const Configuration& c, int eventClass, int section, int address, int code,
            bool emergency = false, std::uint32_t dateTime = 0)
{
    const std::vector<std::uint8_t> record = {
        std::uint8_t(dateTime >> 24), std::uint8_t(dateTime >> 16), std::uint8_t(dateTime >> 8),
        std::uint8_t(dateTime), std::uint8_t((emergency ? 0x80 : 0) | address),
        std::uint8_t(section << 3 | eventClass), std::uint8_t(code), 0x00};
    return Event(record, &c);
}

std::shared_ptr<DeviceNames> namedSet(int table)
{
    auto names = std::make_shared<DeviceNames>();
    names->eventTable = table;
    names->deviceName = u"Dev";
    names->outsName = u"Outs";
    names->loop1Name = u"L1";
    names->loop2Name = u"L2";
    names->line3Name = u"";  // a stored empty name stays empty
    names->line4Name = u"L4";
    return names;
}

// A central panel: section 2 named with a dubler, section 4 without a name;
// device 5 of section 2 named and on table 1, device 6 without names,
// device 7 on a table the panel does not have.
Configuration centralPanel()
{
    Configuration c;
    c.pultType = true;
    c.sections.erase(0);
    Section& s2 = c.sections[2];
    s2.address = 2;
    s2.name = u"North";
    s2.dublerName = u"";
    c.sections[4].address = 4;
    Device named, unnamed, farTable;
    named.names = namedSet(1);
    farTable.names = namedSet(9);
    s2.devices[5] = named;
    s2.devices[6] = unnamed;
    s2.devices[7] = farTable;
    EventTable custom;
    for (int k = 0; k < EventTable::stateCount; ++k)
        custom.text(k) = u"T1-" + std::u16string(1, char16_t(u'a' + k));
    custom.deviceTamper = u"T1 tamper";
    custom.outsFailure = u"T1 outs";
    c.eventTables = {EventTable(), custom};
    c.eventTables[0].deviceTamper = u"T0 tamper";
    c.commands = {Command(true), Command(true)};
    c.commands[0].name = u"First";
    c.commands[1].name = u"Second";
    return c;
}

// The example "Пyльт-дyблёp 2" without its number.
const std::u16string dublerPrefix = std::u16string(u"Пyльт-дyблёp 2").substr(0, 13);
const std::u16string devicePrefix = u"\u0041\u0434\u0070\u0065\u0063\u0020";

} // namespace

TEST(EventRecord, DecodesTheFieldsOfEightBytesOnly)
{
    Configuration c;
    const Event e(std::vector<std::uint8_t>{0x2C, 0xDE, 0x91, 0x47, 0x85, 0x1A, 0x12, 0x99}, &c);
    EXPECT_EQ(e.dateTime(), 0x2CDE9147u);
    EXPECT_EQ(e.dateTimeText(), "2021/03/15 09:05:07");
    EXPECT_TRUE(e.emergency());
    EXPECT_EQ(e.address(), 5);
    EXPECT_EQ(e.sectionNumber(), 3);
    EXPECT_EQ(e.eventClass(), 2);
    EXPECT_EQ(e.code(), 0x12);
    EXPECT_EQ(e.loopNumber(), 3);
    EXPECT_EQ(e.configuration(), &c);

    EXPECT_EQ(event(c, 0, 0, 0, 0, false, 0xFFFFFFFFu).dateTimeText(), "2073/15/31 31:63:63");
    EXPECT_EQ(event(c, 0, 0, 0, 0, false, 0).dateTimeText(), "");

    for (std::size_t size : {0u, 7u, 9u}) {
        const Event wrong(std::vector<std::uint8_t>(size, 0xFF), &c);
        EXPECT_EQ(wrong.dateTime(), 0u);
        EXPECT_FALSE(wrong.emergency());
        EXPECT_EQ(wrong.eventClass() + wrong.sectionNumber() + wrong.address() + wrong.loopNumber()
                      + wrong.code(), 0);
    }
}

TEST(EventRecord, LoopNumberOnlyForLoopStatesAndLoopCommands)
{
    Configuration c;
    EXPECT_EQ(event(c, 2, 0, 5, 0x00).loopNumber(), 1);
    EXPECT_EQ(event(c, 2, 0, 5, 0x1F).loopNumber(), 4);
    EXPECT_EQ(event(c, 5, 0, 5, 0x1A).loopNumber(), 0); // an output
    EXPECT_EQ(event(c, 5, 2, 5, 0x81).loopNumber(), 2);
    EXPECT_EQ(event(c, 5, 0, 0, 0x01).loopNumber(), 0); // no device
    EXPECT_EQ(event(c, 1, 0, 5, 0x08).loopNumber(), 0);
}

TEST(EventTexts, PanelItselfAndResets)
{
    Configuration c = centralPanel();
    EXPECT_EQ(event(c, 0, 0, 0, 0).objectText(), u"Запуск опроса");
    EXPECT_EQ(event(c, 0, 0, 0, 1).objectText(), u"Сброс из меню пульта");
    EXPECT_EQ(event(c, 0, 0, 0, 2).objectText(), u"Сброс по команде от компьютера");
    EXPECT_EQ(event(c, 0, 0, 0, 3).objectText(), u"Пульт");
    EXPECT_EQ(event(c, 4, 0, 0, 0).objectText(), u"Центральный пульт");
    EXPECT_EQ(event(c, 5, 0, 0, 0).objectText(), u"Отмена тревоги");
    EXPECT_EQ(event(c, 1, 0, 0, 3).objectText(), u"Пульт");
    EXPECT_EQ(event(c, 7, 0, 0, 0).objectText(), u"Пульт");
    EXPECT_EQ(event(c, 0, 0, 0, 0).eventText(), u"СБРОС");
    c.pultType = false;
    EXPECT_EQ(event(c, 0, 0, 0, 2).objectText(), u"Сброс по команде от центрального пульта");
}

TEST(EventTexts, SectionPanelsAndTheirDublers)
{
    const Configuration c = centralPanel();
    EXPECT_EQ(event(c, 0, 2, 0, 0).objectText(), u"North");
    EXPECT_EQ(event(c, 1, 2, 0, 3).objectText(), u"North");
    EXPECT_EQ(event(c, 1, 4, 0, 3).objectText(), u"Секционный пульт 4");  // no name
    EXPECT_EQ(event(c, 1, 9, 0, 3).objectText(), u"Секционный пульт 9");  // no such section
    EXPECT_EQ(event(c, 1, 30, 0, 3).objectText(), u"");            // not a section number

    // The dubler's name is used (even empty) whenever the section has a name.
    EXPECT_EQ(event(c, 1, 2, 0, 6).objectText(), u"");
    EXPECT_EQ(event(c, 0, 2, 0, 1).objectText(), u"");
    EXPECT_EQ(event(c, 1, 2, 0, 6).eventText(), u"НЕТ СВЯЗИ с пультом-дублёром");
    EXPECT_EQ(event(c, 1, 4, 0, 6).objectText(), dublerPrefix + u"4");
    EXPECT_EQ(event(c, 0, 9, 0, 1).objectText(), dublerPrefix + u"9");
    EXPECT_EQ(event(c, 1, 9, 0, 6).objectText(), dublerPrefix + u"9");
    EXPECT_EQ(event(c, 1, 2, 0, 6).objectText(), c.sections.at(2).dublerName);
}

TEST(EventTexts, DeviceFaults)
{
    const Configuration c = centralPanel();
    const std::u16string texts[] = {u"", u"Пониженное напряжение питания", u"Повышенное напряжение питания", u"НЕТ СВЯЗИ", u"ОШИБКА CRC (Плохая связь)"};
    for (int code = 1; code <= 4; ++code)
        EXPECT_EQ(event(c, 1, 2, 5, code).eventText(), texts[code]);
    EXPECT_EQ(event(c, 1, 2, 5, 0).eventText(), u"T1 tamper");
    EXPECT_EQ(event(c, 1, 2, 6, 0).eventText(), u"T0 tamper");   // no names: table 0
    EXPECT_EQ(event(c, 1, 2, 7, 0).eventText(), u"T0 tamper");   // table 9 missing: table 0
    EXPECT_EQ(event(c, 1, 2, 0, 0).eventText(), u"ВСКРЫТИЕ");
    EXPECT_EQ(event(c, 1, 2, 5, 5).eventText(), u"T1 outs");
    EXPECT_EQ(event(c, 1, 2, 5, 9).eventText(), u"Неизвестный код неисправности (9)");
    EXPECT_EQ(event(c, 1, 2, 5, 255).eventText(), u"Неизвестный код неисправности (255)");

    EXPECT_EQ(event(c, 1, 2, 5, 5).objectText(), u"Outs");
    EXPECT_EQ(event(c, 1, 2, 5, 3).objectText(), u"Dev");
    EXPECT_EQ(event(c, 1, 2, 6, 5).objectText(), devicePrefix + u"2.6 Bыxoды");
    EXPECT_EQ(event(c, 1, 2, 6, 3).objectText(), devicePrefix + u"2.6");
    EXPECT_EQ(event(c, 1, 0, 17, 3).objectText(), devicePrefix + u"17");
}

TEST(EventTexts, LoopAndLineStates)
{
    const Configuration c = centralPanel();
    for (int s = 0; s < 8; ++s) {
        const std::u16string expected = u"T1-" + std::u16string(1, char16_t(u'a' + s));
        EXPECT_EQ(event(c, 2, 2, 5, s).eventText(), expected);
        EXPECT_EQ(event(c, 2, 2, 5, 0xE0 | s).eventText(), expected); // bits 5-7 ignored
        EXPECT_EQ(event(c, 2, 2, 5, 0x08 | s).eventText(), u"T1-" + std::u16string(1, char16_t(u'i' + s)));
    }
    EXPECT_EQ(event(c, 2, 2, 5, 0x10).eventText(), u"T1-q");
    EXPECT_EQ(event(c, 2, 2, 5, 0x11).eventText(), u"T1-r");
    EXPECT_EQ(event(c, 2, 2, 5, 0x17).eventText(), u"T1-s");
    EXPECT_EQ(event(c, 2, 2, 5, 0x18).eventText(), u"T1-t");
    EXPECT_EQ(event(c, 2, 2, 5, 0x1F).eventText(), u"T1-v");
    EXPECT_EQ(event(c, 2, 2, 5, 0x12).eventText(), u"Неизвестный код состояния л.с. (2)");
    EXPECT_EQ(event(c, 2, 2, 5, 0x1E).eventText(), u"Неизвестный код состояния л.с. (6)");
    EXPECT_EQ(event(c, 2, 2, 6, 0x17).eventText(), defaultEventTable.line3Activation);

    EXPECT_EQ(event(c, 2, 2, 5, 0x00).objectText(), u"L1");
    EXPECT_EQ(event(c, 2, 2, 5, 0x08).objectText(), u"L2");
    EXPECT_EQ(event(c, 2, 2, 5, 0x10).objectText(), u"");
    EXPECT_EQ(event(c, 2, 2, 5, 0x18).objectText(), u"L4");
    EXPECT_EQ(event(c, 2, 2, 6, 0x00).objectText(), devicePrefix + u"2.6 Шлeйф 1");
    EXPECT_EQ(event(c, 2, 2, 6, 0x08).objectText(), devicePrefix + u"2.6 Шлeйф 2");
    EXPECT_EQ(event(c, 2, 2, 6, 0x10).objectText(), devicePrefix + u"2.6 Л.c. 3");
    EXPECT_EQ(event(c, 2, 2, 6, 0x18).objectText(), devicePrefix + u"2.6 Л.c. 4");
}

TEST(EventTexts, Commands)
{
    const Configuration c = centralPanel();
    EXPECT_EQ(event(c, 3, 0, 0, 0x45).objectText(), u"(Меню пульта: команда №6)");
    EXPECT_EQ(event(c, 3, 0, 0, 0x45).eventText(), u"КОМАНДА");
    EXPECT_EQ(event(c, 3, 0, 0, 0x81).objectText(), u"\"Second\" (Меню пульта: команда №2)");
    EXPECT_EQ(event(c, 3, 0, 0, 0x81).eventText(), u"КОМАНДА (нет подтверждения)");
    EXPECT_EQ(event(c, 3, 2, 5, 0x40).objectText(), u"\"First\" (Меню пульта: команда №1)");

    EXPECT_EQ(event(c, 5, 0, 5, 0x1A).objectText(), u"Адрес 5: включить выход 3");
    EXPECT_EQ(event(c, 5, 0, 5, 0x1A).eventText(), u"КОМАНДА");
    EXPECT_EQ(event(c, 5, 2, 5, 0x81).objectText(), u"Адрес 2.5: выключить шлейф 2");
    EXPECT_EQ(event(c, 5, 2, 5, 0x81).eventText(), u"КОМАНДА (нет подтверждения)");

    EXPECT_EQ(event(c, 4, 0, 0, 0x05).eventText(), u"ГРУППОВАЯ КОМАНДА 0, 2");
    EXPECT_EQ(event(c, 4, 0, 0, 0x00).eventText(), u"ГРУППОВАЯ КОМАНДА ");
    EXPECT_EQ(event(c, 4, 0, 0, 0xFF).eventText(), u"ГРУППОВАЯ КОМАНДА 0, 1, 2, 3, 4, 5, 6, 7");
    EXPECT_EQ(event(c, 4, 2, 5, 0x80).objectText(), u"Dev");
    EXPECT_EQ(event(c, 4, 2, 6, 0x80).objectText(), devicePrefix + u"2.6");
    EXPECT_EQ(event(c, 6, 0, 0, 0).eventText(), u"Неизвестный код события (6)");
    EXPECT_EQ(event(c, 7, 0, 0, 0).eventText(), u"Неизвестный код события (7)");
}

// Every class, code, device and section, with and without names: each text
// is produced and no lookup adds anything to the configuration.
TEST(EventTexts, EveryFieldCombinationGivesTextsWithoutChangingTheConfiguration)
{
    Configuration named = centralPanel();
    named.sections[0].devices[1].names = namedSet(3);
    Configuration unnamed;
    unnamed.eventTables.clear();
    for (const Configuration* c : {&named, &unnamed}) {
        const auto sectionsBefore = c->sections.size();
        const auto devicesBefore = c->sections.count(2) ? c->sections.at(2).devices.size() : 0;
        for (int eventClass = 0; eventClass < 8; ++eventClass)
            for (int code = 0; code < 256; ++code)
                for (int address : {0, 1, 5, 6, 127})
                    for (int section : {0, 2, 4, 31}) {
                        const Event e = event(*c, eventClass, section, address, code);
                        EXPECT_FALSE(e.eventText().empty());
                        e.objectText();
                        e.dateTimeText();
                    }
        EXPECT_EQ(c->sections.size(), sectionsBefore);
        EXPECT_EQ(c->sections.count(2) ? c->sections.at(2).devices.size() : 0, devicesBefore);
    }
    EXPECT_EQ(named.sections.count(31), 0u);
    EXPECT_EQ(named.sections.at(0).devices.count(5), 0u);
}

TEST(EventTexts, AnEventWithoutAConfigurationUsesTheDefaults)
{
    const Event e(std::vector<std::uint8_t>{0, 0, 0, 1, 17, 3 << 3 | 2, 0x08, 0}, nullptr);
    EXPECT_EQ(e.objectText(), devicePrefix + u"3.17 Шлeйф 2");
    EXPECT_EQ(e.eventText(), defaultEventTable.loop2Norm);
}
