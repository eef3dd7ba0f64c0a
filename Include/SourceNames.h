#pragma once

#include <QString>

namespace archive_table {
struct TableSource;
}

// What the window calls the data it shows, by where it came from.

// The window's title: the site's history or the dump file's name before the
// program's caption, as desktop programs name the document they show; the
// caption and version alone for a read or nothing.
QString windowTitleFor(const archive_table::TableSource& source);

// The data in a few words, for a status that says it is still shown:
// "чтение 01.03.2024 13:00:00", "дамп памяти ring.qrvdump",
// "история объекта «Склад»"; empty when nothing is shown.
QString sourceDescription(const archive_table::TableSource& source);
