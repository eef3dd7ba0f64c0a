#pragma once

#include <QtGlobal>
#include <QString>

#include <array>

namespace archive_table {

// The seven columns of the event table, in the order the window shows them.
constexpr int columnCount = 7;
constexpr int emergencyColumn = 0;
constexpr int dateTimeColumn = 1;
constexpr int sectionColumn = 2;
constexpr int addressColumn = 3;
constexpr int loopColumn = 4;
constexpr int eventColumn = 5;
constexpr int objectColumn = 6;

// The display texts of one table row (or of the header), one per column.
using RowTexts = std::array<QString, columnCount>;

// Header texts as UTF-8 source texts of the "EventsView" translation
// context; the window passes them through tr(), other users take them as
// they are.
constexpr std::array<const char*, columnCount> columnHeaderSources = {
    QT_TRANSLATE_NOOP("EventsView", "Э"),
    QT_TRANSLATE_NOOP("EventsView", "Дата и время"),
    QT_TRANSLATE_NOOP("EventsView", "Секция"),
    QT_TRANSLATE_NOOP("EventsView", "Адрес"),
    QT_TRANSLATE_NOOP("EventsView", "Шл./Л.с."),
    QT_TRANSLATE_NOOP("EventsView", "Cобытие"),
    QT_TRANSLATE_NOOP("EventsView", "Источник/Описание"),
};

// The header texts untranslated.
RowTexts columnHeaders();

// The pink behind an emergency row, as 0xRRGGBB: the window's table and the
// printed report shade alike.
constexpr unsigned emergencyBackgroundRgb = 0xffa4a4;

} // namespace archive_table
