#pragma once

#include <QString>

// A saved file's name with the suffix of its kind added when the user gave
// none. The file name alone decides: a dot in a folder's name
// (/home/i.petrov/…) is no suffix, though the file dialog takes it for one.
QString withSuffix(const QString& path, const QString& suffix);
