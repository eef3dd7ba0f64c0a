#include <config_quorvel/Configuration.h>
#include <config_quorvel/Event.h>
#include <config_quorvel/testing/RecordBuilder.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace config_quorvel;
using R = config_quorvel::testing::RecordBuilder;

namespace {

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

// Table 1: every state text is the name of its member, set by name.
EventTable textsNamedByMember()
{
    EventTable t;
    t.loop1Norm = u"loop1Norm";
    t.loop1Failure = u"loop1Failure";
    t.loop1Warning = u"loop1Warning";
    t.loop1Fire = u"loop1Fire";
    t.loop1TakeOff = u"loop1TakeOff";
    t.loop1Put = u"loop1Put";
    t.loop1Alarm = u"loop1Alarm";
    t.loop1Activation = u"loop1Activation";
    t.loop2Norm = u"loop2Norm";
    t.loop2Failure = u"loop2Failure";
    t.loop2Warning = u"loop2Warning";
    t.loop2Fire = u"loop2Fire";
    t.loop2TakeOff = u"loop2TakeOff";
    t.loop2Put = u"loop2Put";
    t.loop2Alarm = u"loop2Alarm";
    t.loop2Activation = u"loop2Activation";
    t.line3Norm = u"line3Norm";
    t.line3Failure = u"line3Failure";
    t.line3Activation = u"line3Activation";
    t.line4Norm = u"line4Norm";
    t.line4Failure = u"line4Failure";
    t.line4Activation = u"line4Activation";
    t.deviceTamper = u"deviceTamper";
    t.outsFailure = u"outsFailure";
    return t;
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
    c.eventTables = {EventTable(), textsNamedByMember()};
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

    EXPECT_EQ(R().eventClass(0).dateTime(0xFFFFFFFFu).event(&c).dateTimeText(), "2073/15/31 31:63:63");
    EXPECT_EQ(R().eventClass(0).dateTime(0).event(&c).dateTimeText(), "");

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
    EXPECT_EQ(R().eventClass(2).address(5).code(0x00).event(&c).loopNumber(), 1);
    EXPECT_EQ(R().eventClass(2).address(5).code(0x1F).event(&c).loopNumber(), 4);
    EXPECT_EQ(R().eventClass(5).address(5).code(0x1A).event(&c).loopNumber(), 0); // an output
    EXPECT_EQ(R().eventClass(5).section(2).address(5).code(0x81).event(&c).loopNumber(), 2);
    EXPECT_EQ(R().eventClass(5).code(0x01).event(&c).loopNumber(), 0); // no device
    EXPECT_EQ(R().eventClass(1).address(5).code(0x08).event(&c).loopNumber(), 0);
}

TEST(EventTexts, PanelItselfAndResets)
{
    Configuration c = centralPanel();
    EXPECT_EQ(R().eventClass(0).event(&c).objectText(), u"Запуск опроса");
    EXPECT_EQ(R().eventClass(0).code(1).event(&c).objectText(), u"Сброс из меню пульта");
    EXPECT_EQ(R().eventClass(0).code(2).event(&c).objectText(), u"Сброс по команде от компьютера");
    EXPECT_EQ(R().eventClass(0).code(3).event(&c).objectText(), u"Пульт");
    EXPECT_EQ(R().eventClass(4).event(&c).objectText(), u"Центральный пульт");
    EXPECT_EQ(R().eventClass(5).event(&c).objectText(), u"Отмена тревоги");
    EXPECT_EQ(R().eventClass(1).code(3).event(&c).objectText(), u"Пульт");
    EXPECT_EQ(R().eventClass(7).event(&c).objectText(), u"Пульт");
    EXPECT_EQ(R().eventClass(0).event(&c).eventText(), u"СБРОС");
    c.pultType = false;
    EXPECT_EQ(R().eventClass(0).code(2).event(&c).objectText(), u"Сброс по команде от центрального пульта");
}

TEST(EventTexts, SectionPanelsAndTheirDublers)
{
    const Configuration c = centralPanel();
    EXPECT_EQ(R().eventClass(0).section(2).event(&c).objectText(), u"North");
    EXPECT_EQ(R().eventClass(1).section(2).code(3).event(&c).objectText(), u"North");
    EXPECT_EQ(R().eventClass(1).section(4).code(3).event(&c).objectText(), u"Секционный пульт 4");  // no name
    EXPECT_EQ(R().eventClass(1).section(9).code(3).event(&c).objectText(), u"Секционный пульт 9");  // no such section
    EXPECT_EQ(R().eventClass(1).section(30).code(3).event(&c).objectText(), u"");            // not a section number

    // The dubler's name is used (even empty) whenever the section has a name.
    EXPECT_EQ(R().eventClass(1).section(2).code(6).event(&c).objectText(), u"");
    EXPECT_EQ(R().eventClass(0).section(2).code(1).event(&c).objectText(), u"");
    EXPECT_EQ(R().eventClass(1).section(2).code(6).event(&c).eventText(), u"НЕТ СВЯЗИ с пультом-дублёром");
    EXPECT_EQ(R().eventClass(1).section(4).code(6).event(&c).objectText(), dublerPrefix + u"4");
    EXPECT_EQ(R().eventClass(0).section(9).code(1).event(&c).objectText(), dublerPrefix + u"9");
    EXPECT_EQ(R().eventClass(1).section(9).code(6).event(&c).objectText(), dublerPrefix + u"9");
    EXPECT_EQ(R().eventClass(1).section(2).code(6).event(&c).objectText(), c.sections.at(2).dublerName);
}

TEST(EventTexts, DeviceFaults)
{
    const Configuration c = centralPanel();
    const std::u16string texts[] = {u"", u"Пониженное напряжение питания", u"Повышенное напряжение питания", u"НЕТ СВЯЗИ", u"ОШИБКА CRC (Плохая связь)"};
    for (int code = 1; code <= 4; ++code)
        EXPECT_EQ(R().eventClass(1).section(2).address(5).code(code).event(&c).eventText(), texts[code]);
    EXPECT_EQ(R().eventClass(1).section(2).address(5).event(&c).eventText(), u"deviceTamper");
    EXPECT_EQ(R().eventClass(1).section(2).address(6).event(&c).eventText(), u"T0 tamper");   // no names: table 0
    EXPECT_EQ(R().eventClass(1).section(2).address(7).event(&c).eventText(), u"T0 tamper");   // table 9 missing: table 0
    EXPECT_EQ(R().eventClass(1).section(2).event(&c).eventText(), u"ВСКРЫТИЕ");
    EXPECT_EQ(R().eventClass(1).section(2).address(5).code(5).event(&c).eventText(), u"outsFailure");
    EXPECT_EQ(R().eventClass(1).section(2).address(5).code(9).event(&c).eventText(), u"Неизвестный код неисправности (9)");
    EXPECT_EQ(R().eventClass(1).section(2).address(5).code(255).event(&c).eventText(), u"Неизвестный код неисправности (255)");

    EXPECT_EQ(R().eventClass(1).section(2).address(5).code(5).event(&c).objectText(), u"Outs");
    EXPECT_EQ(R().eventClass(1).section(2).address(5).code(3).event(&c).objectText(), u"Dev");
    EXPECT_EQ(R().eventClass(1).section(2).address(6).code(5).event(&c).objectText(), devicePrefix + u"2.6 Bыxoды");
    EXPECT_EQ(R().eventClass(1).section(2).address(6).code(3).event(&c).objectText(), devicePrefix + u"2.6");
    EXPECT_EQ(R().eventClass(1).address(17).code(3).event(&c).objectText(), devicePrefix + u"17");
}

TEST(EventTexts, LoopAndLineStates)
{
    const Configuration c = centralPanel();
    const std::pair<std::uint8_t, std::u16string> states[] = {
        {0x00, u"loop1Norm"}, {0x01, u"loop1Failure"}, {0x02, u"loop1Warning"}, {0x03, u"loop1Fire"},
        {0x04, u"loop1TakeOff"}, {0x05, u"loop1Put"}, {0x06, u"loop1Alarm"}, {0x07, u"loop1Activation"},
        {0x08, u"loop2Norm"}, {0x09, u"loop2Failure"}, {0x0A, u"loop2Warning"}, {0x0B, u"loop2Fire"},
        {0x0C, u"loop2TakeOff"}, {0x0D, u"loop2Put"}, {0x0E, u"loop2Alarm"}, {0x0F, u"loop2Activation"},
        {0x10, u"line3Norm"}, {0x11, u"line3Failure"}, {0x17, u"line3Activation"},
        {0x18, u"line4Norm"}, {0x19, u"line4Failure"}, {0x1F, u"line4Activation"},
        {0x12, u"Неизвестный код состояния л.с. (2)"}, {0x16, u"Неизвестный код состояния л.с. (6)"},
        {0x1B, u"Неизвестный код состояния л.с. (3)"}, {0x1E, u"Неизвестный код состояния л.с. (6)"},
    };
    for (const auto& [code, text] : states) {
        // Bits 5-7 play no part.
        for (const std::uint8_t high : {0x00, 0x20, 0xE0}) {
            const Event e = R().eventClass(2).section(2).address(5).code(code | high).event(&c);
            EXPECT_EQ(e.eventText(), text) << int(code | high);
            EXPECT_EQ(e.loopNumber(), ((code >> 3) & 3) + 1) << int(code | high);
        }
    }
    EXPECT_EQ(R().eventClass(2).section(2).address(6).code(0x17).event(&c).eventText(), u"CPAБOTAЛA");

    EXPECT_EQ(R().eventClass(2).section(2).address(5).code(0x00).event(&c).objectText(), u"L1");
    EXPECT_EQ(R().eventClass(2).section(2).address(5).code(0x08).event(&c).objectText(), u"L2");
    EXPECT_EQ(R().eventClass(2).section(2).address(5).code(0x10).event(&c).objectText(), u"");
    EXPECT_EQ(R().eventClass(2).section(2).address(5).code(0x18).event(&c).objectText(), u"L4");
    EXPECT_EQ(R().eventClass(2).section(2).address(6).code(0x00).event(&c).objectText(), devicePrefix + u"2.6 Шлeйф 1");
    EXPECT_EQ(R().eventClass(2).section(2).address(6).code(0x08).event(&c).objectText(), devicePrefix + u"2.6 Шлeйф 2");
    EXPECT_EQ(R().eventClass(2).section(2).address(6).code(0x10).event(&c).objectText(), devicePrefix + u"2.6 Л.c. 3");
    EXPECT_EQ(R().eventClass(2).section(2).address(6).code(0x18).event(&c).objectText(), devicePrefix + u"2.6 Л.c. 4");
}

// Bit 4 switches on or off, bit 3 chooses an output or a loop, bits 0-2 the
// number less one; the loop number is bit 0 plus one (codes 0x02, 0x07, 0x16
// tell that rule from bits 0-2 plus one).
TEST(EventTexts, AddressCommandsByEveryCombinationOfTheirBits)
{
    const Configuration c = centralPanel();
    struct Case {
        std::uint8_t code;
        const char16_t* text;
        int loopNumber;
    };
    const Case cases[] = {
        {0x00, u"Адрес 5: выключить шлейф 1", 1}, {0x01, u"Адрес 5: выключить шлейф 2", 2},
        {0x02, u"Адрес 5: выключить шлейф 3", 1}, {0x07, u"Адрес 5: выключить шлейф 8", 2},
        {0x08, u"Адрес 5: выключить выход 1", 0}, {0x0E, u"Адрес 5: выключить выход 7", 0},
        {0x10, u"Адрес 5: включить шлейф 1", 1},  {0x13, u"Адрес 5: включить шлейф 4", 2},
        {0x16, u"Адрес 5: включить шлейф 7", 1},  {0x18, u"Адрес 5: включить выход 1", 0},
        {0x1D, u"Адрес 5: включить выход 6", 0},  {0x62, u"Адрес 5: выключить шлейф 3", 1},
        {0x84, u"Адрес 5: выключить шлейф 5", 1}, {0x9A, u"Адрес 5: включить выход 3", 0},
    };
    for (const Case& k : cases) {
        const Event e = R().eventClass(5).address(5).code(k.code).event(&c);
        EXPECT_EQ(e.objectText(), k.text) << int(k.code);
        EXPECT_EQ(e.loopNumber(), k.loopNumber) << int(k.code);
        EXPECT_EQ(e.eventText(), (k.code & 0x80) ? u"КОМАНДА (нет подтверждения)" : u"КОМАНДА") << int(k.code);
    }
    EXPECT_EQ(R().eventClass(5).section(2).address(5).code(0x81).event(&c).objectText(), u"Адрес 2.5: выключить шлейф 2");
    // Without a device the command is the cancelled alarm, with no loop.
    EXPECT_EQ(R().eventClass(5).code(0x01).event(&c).objectText(), u"Отмена тревоги");
    EXPECT_EQ(R().eventClass(5).code(0x01).event(&c).loopNumber(), 0);
}

// What each class shows for a named and an unnamed device, with the codes
// that choose a branch (5: the outputs; bits 3-4: the loop or line).
TEST(EventTexts, EveryClassForADevice)
{
    const Configuration c = centralPanel();
    struct Case {
        int eventClass;
        std::uint8_t code;
        const char16_t* named;   // device 5 of section 2
        const char16_t* unnamed; // device 6 of section 2
        const char16_t* event;
    };
    const Case cases[] = {
        {0, 0x05, u"Dev", u"Aдpec 2.6", u"СБРОС"},
        {1, 0x05, u"Outs", u"Aдpec 2.6 Bыxoды", u"outsFailure"},
        {1, 0x03, u"Dev", u"Aдpec 2.6", u"НЕТ СВЯЗИ"},
        {1, 0x06, u"Dev", u"Aдpec 2.6", u"НЕТ СВЯЗИ с пультом-дублёром"},
        {2, 0x0D, u"L2", u"Aдpec 2.6 Шлeйф 2", u"loop2Put"},
        {2, 0x19, u"L4", u"Aдpec 2.6 Л.c. 4", u"line4Failure"},
        {4, 0x05, u"Dev", u"Aдpec 2.6", u"ГРУППОВАЯ КОМАНДА 0, 2"},
        {6, 0x05, u"Dev", u"Aдpec 2.6", u"Неизвестный код события (6)"},
        {7, 0x08, u"Dev", u"Aдpec 2.6", u"Неизвестный код события (7)"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(::testing::Message() << "class " << k.eventClass << " code " << int(k.code));
        const Event named = R().eventClass(k.eventClass).section(2).address(5).code(k.code).event(&c);
        const Event unnamed = R().eventClass(k.eventClass).section(2).address(6).code(k.code).event(&c);
        EXPECT_EQ(named.objectText(), k.named);
        EXPECT_EQ(unnamed.objectText(), k.unnamed);
        EXPECT_EQ(named.eventText(), k.event);
    }
}

TEST(EventTexts, Commands)
{
    const Configuration c = centralPanel();
    EXPECT_EQ(R().eventClass(3).code(0x45).event(&c).objectText(), u"(Меню пульта: команда №6)");
    EXPECT_EQ(R().eventClass(3).code(0x45).event(&c).eventText(), u"КОМАНДА");
    EXPECT_EQ(R().eventClass(3).code(0x81).event(&c).objectText(), u"\"Second\" (Меню пульта: команда №2)");
    EXPECT_EQ(R().eventClass(3).code(0x81).event(&c).eventText(), u"КОМАНДА (нет подтверждения)");
    EXPECT_EQ(R().eventClass(3).section(2).address(5).code(0x40).event(&c).objectText(), u"\"First\" (Меню пульта: команда №1)");

    EXPECT_EQ(R().eventClass(5).address(5).code(0x1A).event(&c).objectText(), u"Адрес 5: включить выход 3");
    EXPECT_EQ(R().eventClass(5).address(5).code(0x1A).event(&c).eventText(), u"КОМАНДА");
    EXPECT_EQ(R().eventClass(5).section(2).address(5).code(0x81).event(&c).objectText(), u"Адрес 2.5: выключить шлейф 2");
    EXPECT_EQ(R().eventClass(5).section(2).address(5).code(0x81).event(&c).eventText(), u"КОМАНДА (нет подтверждения)");

    EXPECT_EQ(R().eventClass(4).code(0x05).event(&c).eventText(), u"ГРУППОВАЯ КОМАНДА 0, 2");
    EXPECT_EQ(R().eventClass(4).code(0x00).event(&c).eventText(), u"ГРУППОВАЯ КОМАНДА ");
    EXPECT_EQ(R().eventClass(4).code(0xFF).event(&c).eventText(), u"ГРУППОВАЯ КОМАНДА 0, 1, 2, 3, 4, 5, 6, 7");
    EXPECT_EQ(R().eventClass(4).section(2).address(5).code(0x80).event(&c).objectText(), u"Dev");
    EXPECT_EQ(R().eventClass(4).section(2).address(6).code(0x80).event(&c).objectText(), devicePrefix + u"2.6");
    EXPECT_EQ(R().eventClass(6).event(&c).eventText(), u"Неизвестный код события (6)");
    EXPECT_EQ(R().eventClass(7).event(&c).eventText(), u"Неизвестный код события (7)");
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
                        const Event e = R().eventClass(eventClass).section(section).address(address).code(code).event(c);
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
