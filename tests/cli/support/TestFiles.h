#pragma once

// File helpers shared by the reader's tests and the end-to-end tests.

#include <SimulatedLine.h>
#include <WindowExport.h>

#include <QByteArray>
#include <QFile>
#include <QString>

// The file the window saves after reading the demo panel, made once.
inline QByteArray demoWindowExport()
{
    static const QByteArray text = windowExport(quorvel_archive::demoPanelMemory()).text;
    return text;
}

// The CSV file the window exports after reading the demo panel, made once.
inline QByteArray demoWindowCsv()
{
    static const QByteArray csv = windowExport(quorvel_archive::demoPanelMemory()).csv;
    return csv;
}

inline QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An earlier file at `path` that a failed run must leave as it is.
inline bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}
