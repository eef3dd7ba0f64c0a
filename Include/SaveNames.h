#pragma once

#include <QDateTime>
#include <QString>

namespace archive_table {
struct TableSource;
}

// A saved file's name with the suffix of its kind added when the user gave
// none. The file name alone decides: a dot in a folder's name
// (/home/i.petrov/…) is no suffix, though the file dialog takes it for one.
QString withSuffix(const QString& path, const QString& suffix);

// `text` as a file's name every file system takes: the characters some
// refuse become "_".
QString safeFileName(const QString& text);

// `name` and the local date of `time` (when valid) as a file's name:
// "Склад №1 2024-01-18".
QString datedName(const QString& name, const QDateTime& time);

// The name a save dialog proposes for what is shown, without a suffix: the
// site (else the panel's type) and the local date of the read, e.g.
// "Склад №1 2024-01-18". Empty when nothing is shown.
QString proposedName(const archive_table::TableSource& source);
