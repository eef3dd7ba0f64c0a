#include <archive_table/ArchiveEvent.h>

#include <config_quorvel/Event.h>
#include <config_quorvel/LCDCharset.h>

#include <algorithm>

namespace archive_table {

namespace {

constexpr int firstYear = 2010;
constexpr int lastYear = firstYear + 63;

// Zero means "none" for section, address and loop: the cell stays empty.
QString numberText(int value)
{
    return value != 0 ? QString::number(value) : QString();
}

QString wideText(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), int(text.size()));
}

std::uint32_t packedTime(int year, int month, int day, int hour, int minute, int second)
{
    return (std::uint32_t(year - firstYear) << 26) | (std::uint32_t(month) << 22) | (std::uint32_t(day) << 17)
        | (std::uint32_t(hour) << 12) | (std::uint32_t(minute) << 6) | std::uint32_t(second);
}

} // namespace

PanelTime PanelTime::fromRecord(std::uint32_t packed)
{
    return PanelTime(packed);
}

PanelTime PanelTime::fromDigits(std::int64_t digits)
{
    if (digits <= 0)
        return {};
    const int second = int(digits % 100);
    const int minute = int(digits / 100 % 100);
    const int hour = int(digits / 10000 % 100);
    const int day = int(digits / 1000000 % 100);
    const int month = int(digits / 100000000 % 100);
    const std::int64_t year = digits / 10000000000;
    if (year < firstYear || year > lastYear || month > 15 || day > 31 || hour > 31 || minute > 63 || second > 63)
        return {};
    return PanelTime(packedTime(int(year), month, day, hour, minute, second));
}

PanelTime PanelTime::fromCalendar(const QDate& date, int hour, int minute, int second)
{
    if (!date.isValid() || date.year() < firstYear || date.year() > lastYear)
        return {};
    return PanelTime(packedTime(date.year(), date.month(), date.day(), hour, minute, second));
}

PanelTime PanelTime::lastOfDay(const QDate& date)
{
    return fromCalendar(date, 31, 63, 63);
}

PanelTime PanelTime::lastOfHour(const QDate& date, int hour)
{
    return fromCalendar(date, hour, 63, 63);
}

PanelTime::Kind PanelTime::kind() const
{
    if (isNone())
        return Kind::None;
    // QDate refuses month 0 and days a month lacks.
    return QDate(year(), month(), day()).isValid() && hour() < 24 && minute() < 60 && second() < 60
        ? Kind::Calendar
        : Kind::Impossible;
}

QDate PanelTime::date() const
{
    return isCalendar() ? QDate(year(), month(), day()) : QDate();
}

std::int64_t PanelTime::digits() const
{
    if (isNone())
        return 0;
    return ((((std::int64_t(year()) * 100 + month()) * 100 + day()) * 100 + hour()) * 100 + minute()) * 100
        + second();
}

QString PanelTime::text() const
{
    if (isNone())
        return QString();
    char16_t text[textLength];
    writeText(text);
    return QString::fromUtf16(text, textLength);
}

void PanelTime::writeText(char16_t* text) const
{
    // Written by hand: a history's export makes a million of them.
    const auto put = [text](int at, int value, int width) {
        for (int i = at + width - 1; i >= at; --i, value /= 10)
            text[i] = char16_t(u'0' + value % 10);
    };
    put(0, year(), 4);
    text[4] = u'/';
    put(5, month(), 2);
    text[7] = u'/';
    put(8, day(), 2);
    text[10] = u' ';
    put(11, hour(), 2);
    text[13] = u':';
    put(14, minute(), 2);
    text[16] = u':';
    put(17, second(), 2);
}

const QString& TextPool::shared(const QString& text)
{
    return *texts.insert(text);
}

ArchiveEvent archiveEvent(const config_quorvel::Event& event)
{
    return archiveEvent(event, wideText(event.eventText()), wideText(event.objectText()));
}

ArchiveEvent archiveEvent(const config_quorvel::Event& event, QString eventText, QString sourceText)
{
    ArchiveEvent typed;
    typed.time = PanelTime::fromRecord(event.dateTime());
    typed.emergency = event.emergency();
    typed.eventClass = std::uint8_t(event.eventClass());
    typed.code = event.code();
    typed.section = std::uint8_t(event.sectionNumber());
    typed.address = std::uint8_t(event.address());
    typed.loop = std::uint8_t(event.loopNumber());
    typed.eventText = std::move(eventText);
    typed.sourceText = std::move(sourceText);
    return typed;
}

std::vector<ArchiveEvent> archiveEvents(const std::vector<config_quorvel::Event>& events)
{
    TextPool pool;
    std::vector<ArchiveEvent> typed;
    typed.reserve(events.size());
    for (const config_quorvel::Event& event : events) {
        typed.push_back(archiveEvent(event));
        typed.back().eventText = pool.shared(typed.back().eventText);
        typed.back().sourceText = pool.shared(typed.back().sourceText);
    }
    return typed;
}

QString cellText(const ArchiveEvent& event, int column)
{
    switch (column) {
    case emergencyColumn:
        return event.emergency ? QStringLiteral("+") : QString();
    case dateTimeColumn:
        return event.time.text();
    case sectionColumn:
        return numberText(event.section);
    case addressColumn:
        return numberText(event.address);
    case loopColumn:
        return numberText(event.loop);
    case eventColumn:
        return event.eventText;
    case objectColumn:
        return event.sourceText;
    default:
        return QString();
    }
}

RowTexts rowTexts(const ArchiveEvent& event)
{
    RowTexts texts;
    for (int column = 0; column < columnCount; ++column)
        texts[column] = cellText(event, column);
    return texts;
}

QString readerSpelling(const QString& text)
{
    // Times and numbers, most of the cells, have no Cyrillic and stay shared.
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return config_quorvel::isCyrillic(c.unicode()); }))
        return text;
    return QString::fromStdU16String(config_quorvel::readerSpelling(text.toStdU16String()));
}

RowTexts readerSpelling(RowTexts texts)
{
    for (QString& text : texts)
        text = readerSpelling(text);
    return texts;
}

} // namespace archive_table
