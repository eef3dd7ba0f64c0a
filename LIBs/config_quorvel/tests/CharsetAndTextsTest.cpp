#include "PanelImages.h"

#include <config_quorvel/ConfiguratorError.h>
#include <config_quorvel/Crc8.h>
#include <config_quorvel/DeviceNames.h>
#include <config_quorvel/EventTable.h>
#include <config_quorvel/LCDCharset.h>
#include <config_quorvel/ProgressHandler.h>
#include <config_quorvel/ProgressHandlerAdapter.h>
#include <config_quorvel/Section.h>

#include <boot_loader/BootloaderException.h>
#include <boot_loader/BufferedMemoryPage.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace config_quorvel;

// The display code page, byte 0x00 to 0xFF, as the panel documents it: "."
// for every byte without a character.
TEST(LcdCharset, MapsEveryByteAsTheDocumentedTable)
{
    const std::u16string page =
        u"................" // 0x00
        u"................" // 0x10
        u" !\"#$%&'()*+,-./" // 0x20
        u"0123456789:;<=>?" // 0x30
        u"@ABCDEFGHIJKLMNO" // 0x40
        u"PQRSTUVWXYZ[\\]^_" // 0x50
        u"`abcdefghijklmno" // 0x60
        u"pqrstuvwxyz....." // 0x70
        u"................" // 0x80
        u"................" // 0x90
        u"\u0411\u0413\u0401\u0416\u0417\u0418\u0419\u041B\u041F\u0423\u0424\u0427\u0428\u042A\u042B\u042D" // 0xA0
        u"\u042E\u042F\u0431\u0432\u0433\u0451\u0436\u0437\u0438\u0439\u043A\u043B\u043C\u043D\u043F\u0442" // 0xB0
        u"\u0447\u0448\u044A\u044B\u044C\u044D\u044E\u044F........" // 0xC0
        u"................" // 0xD0
        u"\u0414\u0426\u0429\u0434\u0444\u0446\u0449........." // 0xE0
        u"................" // 0xF0
        ;
    ASSERT_EQ(page.size(), 256u);
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(int(lcdToUnicode(static_cast<std::uint8_t>(b))), int(page[static_cast<std::size_t>(b)]))
            << std::hex << "byte 0x" << b;
}

TEST(LcdCharset, ReverseMappingInvertsEveryCharacterOfThePage)
{
    int characters = 0;
    for (int b = 0; b < 256; ++b) {
        const char16_t c = lcdToUnicode(static_cast<std::uint8_t>(b));
        if (c == u'.' && b != '.')
            continue;
        std::uint8_t back = 0;
        ASSERT_TRUE(unicodeToLcd(c, back)) << b;
        EXPECT_EQ(back, b);
        ++characters;
    }
    EXPECT_EQ(characters, (0x7A - 0x20 + 1) + 40 + 7);

    std::uint8_t byte = 0x55;
    // Look-alike Cyrillic letters have no code: the panel writes Latin ones.
    for (char16_t c : {u'\u0410', u'\u0421', u'\u0430', u'\u0445', u'{', u'\u20AC'})
        EXPECT_FALSE(unicodeToLcd(c, byte)) << int(c);
    EXPECT_EQ(byte, 0x55);
}

namespace {

// For the messages of failed checks; the texts hold no surrogates.
std::string utf8(const std::u16string& text)
{
    std::string out;
    for (const char16_t c : text) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace

// What a reader of the display takes the demo panel's texts for, as the
// exports write them: each word with a Cyrillic letter wholly Cyrillic.
TEST(ReaderSpelling, TheDemoPanelsTextsReadAsTheirCyrillicWords)
{
    Configuration configuration;
    const config_quorvel::testing::PanelImages images(panel_sim::buildPanel(panel_sim::demoPanel()));
    std::set<std::u16string> spelled;
    for (const Event& event : images.decodeInto(configuration)) {
        spelled.insert(readerSpelling(event.eventText()));
        spelled.insert(readerSpelling(event.objectText()));
    }
    for (const char16_t* expected :
         {u"НЕИСПРАВН.", u"ВЗЯТ", u"ВЗЯТИЕ", u"ТРЕВОГА", u"НАПАДЕНИЕ", u"ОТКЛЮЧЁН", u"БЛОКИРОВКА", u"ДЫМОУДАЛ.",
          u"ВСКРЫТ", u"Ворота склада", u"Вход главный", u"Окна 1 этаж", u"Пост охраны", u"Подпор воздуха",
          u"Дымовые 2 эт.", u"Зона Б", u"Адрес 7 Шлейф 2", u"\"Сброс пожара\" (Меню пульта: команда №1)",
          u"ОШИБКА \u0043\u0052\u0043 (Плохая связь)",
          // Every letter has a look-alike: nothing tells it from Latin.
          u"\u0048\u004F\u0050\u004D\u0041"})
        EXPECT_EQ(spelled.count(expected), 1u) << utf8(expected);

    // No word is left mixing the two alphabets.
    const auto isLatin = [](char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); };
    for (const std::u16string& text : spelled) {
        bool latin = false;
        bool cyrillic = false;
        for (std::size_t i = 0; i <= text.size(); ++i) {
            if (i == text.size() || text[i] == u' ') {
                EXPECT_FALSE(latin && cyrillic) << utf8(text);
                latin = cyrillic = false;
                continue;
            }
            latin = latin || isLatin(text[i]);
            cyrillic = cyrillic || isCyrillic(text[i]);
        }
    }
}

// Words are what white space parts; only one with a Cyrillic letter changes,
// and only in its look-alikes.
TEST(ReaderSpelling, OnlyWordsWithACyrillicLetterChange)
{
    // "Cобытие" with a Latin C; "Л.c." with a Latin c; a tab and a line break
    // part words as a space does.
    EXPECT_EQ(readerSpelling(u"\u0043обытие"), u"Событие");
    EXPECT_EQ(readerSpelling(u"Шл./Л.\u0063.\t3\n\u0048\u0045ИС"), u"Шл./Л.с.\t3\nНЕИС");
    // Case decides the letter: the display writes the soft sign's capital
    // as a small b ("СИГНАЛЬНЫЙ").
    EXPECT_EQ(readerSpelling(u"\u0043ИГ\u0048\u0041Л\u0062\u0048ЫЙ"), u"СИГНАЛЬНЫЙ");
    for (const char16_t* unchanged :
         {u"BUS", u"loop2P-T2", u"CRC", u"Зона \u0041", u"\u0041 Зона", u"Зона\t\u0041", u"Зона\n\u0041", u"", u"  ",
          u"Шлейф №2 — ПОЖАР!"})
        EXPECT_EQ(readerSpelling(unchanged), unchanged);
}

TEST(DisplayTexts, DefaultEventTableHasTheExactCodePoints)
{
    const EventTable& t = defaultEventTable;
    EXPECT_TRUE(t.name.empty());
    const std::u16string norm = u"\u0048\u004F\u0050\u004D\u0041";
    const std::u16string failure = u"\u0048\u0045\u0418\u0043\u041F\u0050\u0041\u0042\u0048\u002E";
    const std::u16string warning = u"\u0042\u0048\u0418\u004D\u0041\u0048\u0418\u0045";
    const std::u16string fire = u"\u041F\u004F\u0416\u0041\u0050";
    const std::u16string takeOff = u"\u0411\u041B\u004F\u004B\u0418\u0050\u004F\u0042\u004B\u0041";
    const std::u16string put = u"\u0042\u004B\u041B\u042E\u0427\u0045\u0048\u0418\u0045";
    const std::u16string alarm = u"\u004F\u0054\u004B\u041B\u042E\u0427\u0401\u0048";
    const std::u16string loopActivation = u"\u0043\u0050\u0041\u0411\u004F\u0054\u0041\u041B";
    const std::u16string lineActivation = u"\u0043\u0050\u0041\u0411\u004F\u0054\u0041\u041B\u0041";
    const std::u16string tamper = u"\u0042\u0043\u004B\u0050\u042B\u0054\u0418\u0045";
    const std::u16string loopTexts[8] = {norm, failure, warning, fire, takeOff, put, alarm, loopActivation};
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(t.text(k), loopTexts[k]) << k;
        EXPECT_EQ(t.text(8 + k), loopTexts[k]) << k;
    }
    EXPECT_EQ(t.line3Norm, norm);
    EXPECT_EQ(t.line3Failure, failure);
    EXPECT_EQ(t.line3Activation, lineActivation);
    EXPECT_EQ(t.line4Norm, norm);
    EXPECT_EQ(t.line4Failure, failure);
    EXPECT_EQ(t.line4Activation, lineActivation);
    EXPECT_EQ(t.deviceTamper, tamper);
    EXPECT_EQ(t.outsFailure, failure);
    for (int k = 0; k < EventTable::stateCount; ++k)
        EXPECT_EQ(t.emergency[k], k == 2 || k == 3 || k == 10 || k == 11) << k;
}

TEST(DisplayTexts, TablesCompareByNameTextsAndFlags)
{
    EventTable t;
    EXPECT_FALSE(t != defaultEventTable);
    t.name.push_back(u'x');
    EXPECT_TRUE(t != defaultEventTable);
    t = defaultEventTable;
    t.outsFailure += u' ';
    EXPECT_TRUE(t != defaultEventTable);
    t = defaultEventTable;
    t.emergency[23] = true;
    EXPECT_TRUE(t != defaultEventTable);
}

TEST(DisplayTexts, DefaultDeviceNamesMixLatinAndCyrillicAsThePanelDoes)
{
    const std::u16string prefix = u"\u0041\u0434\u0070\u0065\u0063\u0020";
    EXPECT_EQ(DeviceNames::defaultDeviceName(17, 3), prefix + u"3.17");
    EXPECT_EQ(DeviceNames::defaultDeviceName(17, 0), prefix + u"17");
    EXPECT_EQ(DeviceNames::defaultDeviceName(17, 25), prefix + u"17");
    EXPECT_EQ(DeviceNames::defaultDeviceName(127, 24), prefix + u"24.127");
    EXPECT_EQ(DeviceNames::defaultDeviceName(0, 1), u"");
    EXPECT_EQ(DeviceNames::defaultDeviceName(128, 1), u"");

    EXPECT_EQ(DeviceNames::defaultOutsName(0, 0), u"\u0020\u0042\u044B\u0078\u006F\u0434\u044B");
    EXPECT_EQ(DeviceNames::defaultLoop1Name(5, 1), prefix + u"1.5\u0020\u0428\u043B\u0065\u0439\u0444\u0020\u0031");
    EXPECT_EQ(DeviceNames::defaultLoop2Name(5, 1), prefix + u"1.5\u0020\u0428\u043B\u0065\u0439\u0444\u0020\u0032");
    EXPECT_EQ(DeviceNames::defaultLine3Name(5, 0), prefix + u"5\u0020\u041B\u002E\u0063\u002E\u0020\u0033");
    EXPECT_EQ(DeviceNames::defaultLine4Name(5, 0), prefix + u"5\u0020\u041B\u002E\u0063\u002E\u0020\u0034");
}

TEST(DisplayTexts, DefaultSectionNamesOnlyForSections1To24)
{
    EXPECT_EQ(Section::defaultSectionName(24), u"Секционный пульт 24");
    EXPECT_EQ(Section::defaultSectionName(0), u"");
    EXPECT_EQ(Section::defaultSectionName(25), u"");
    // Latin y (twice) and p among the Cyrillic letters.
    EXPECT_EQ(Section::defaultDublerName(2),
              u"\u041F\u0079\u043B\u044C\u0442-\u0434\u0079\u0431\u043B\u0451\u0070 2");
    EXPECT_EQ(Section::defaultDublerName(25), u"");
}

TEST(Crc8, MatchesTheReferenceValuesOfTheArchive)
{
    EXPECT_EQ(crc8(std::vector<std::uint8_t>{'a', 'b', 'c'}), 0x24);
    EXPECT_EQ(crc8(std::vector<std::uint8_t>(8, 0xFF)), 0x0F); // erased record
    EXPECT_EQ(crc8(std::vector<std::uint8_t>(8, 0x00)), 0x11); // zeroed record
    std::vector<std::uint8_t> record = {0x2C, 0xDE, 0x91, 0x47, 0x85, 0x1A, 0x12};
    record.push_back(crc8(record));
    EXPECT_EQ(crc8(record), 0);
}

TEST(ConfiguratorError, MapsEveryLoaderCodeAndHasFixedTexts)
{
    const std::uint32_t mapped[] = {0, 1, 2, 2, 7, 5, 2, 8, 7};
    for (int loaderCode = 0; loaderCode < 9; ++loaderCode)
        EXPECT_EQ(ConfiguratorError(boot_loader::BootloaderException(loaderCode)).code(),
                  mapped[loaderCode]) << loaderCode;
    EXPECT_EQ(ConfiguratorError(boot_loader::BootloaderException(-1)).code(), 7u);

    const char* const texts[] = {
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
    for (std::uint32_t code = 0; code < 9; ++code)
        EXPECT_STREQ(ConfiguratorError(code).what(), texts[code]) << code;
    EXPECT_STREQ(ConfiguratorError(9).what(), "Неизвестная ошибка.");
    EXPECT_STREQ(ConfiguratorError(0xFFFFFFFFu).what(), "Неизвестная ошибка.");

    const ConfiguratorError copy = ConfiguratorError(boot_loader::BootloaderException(3));
    EXPECT_EQ(copy.code(), 2u);
    EXPECT_STREQ(copy.what(), "Плохая связь с прибором. Проверьте подключение.");
}

namespace {

struct RecordingHandler : ProgressHandler {
    void onProgress(float fraction) override { fractions.push_back(fraction); }
    std::vector<float> fractions;
};

} // namespace

TEST(ProgressHandlerAdapter, ReportsFractionsOfTheTotalAndExactlyOneAtTheEnd)
{
    RecordingHandler handler;
    ProgressHandlerAdapter adapter(4, &handler);
    const boot_loader::BufferedMemoryPage page(0, 0, 256);
    adapter.pageRead(page);
    adapter.step();
    adapter.finish();
    EXPECT_EQ(handler.fractions, (std::vector<float>{0.25f, 0.5f, 1.0f}));

    ProgressHandlerAdapter counting(2, nullptr);
    for (int i = 0; i < 3; ++i)
        counting.pageWritten(page);
    EXPECT_EQ(counting.doneSteps(), 3);
    counting.finish();
    EXPECT_EQ(counting.doneSteps(), 2);
}
