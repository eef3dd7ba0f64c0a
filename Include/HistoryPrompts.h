#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QDialog;

// The window's ways of asking the user, handed to the parts of the site
// history that ask something, so that tests can answer them.
struct HistoryPrompts {
    std::function<int(QDialog&)> runDialog;
    std::function<bool(const QString& question)> askYesNo;
    // A text, starting from `text`; empty when cancelled.
    std::function<QString(const QString& label, const QString& text)> askText;
    // The index of the chosen item, or -1.
    std::function<int(const QString& label, const QStringList& items)> askChoice;
    std::function<QString()> askDumpFileName;
    std::function<QString()> askStoreFileName;
    // Where to save a CSV file; empty when cancelled.
    std::function<QString()> askCsvFileName;
    std::function<void(const QString&)> showCritical;
};
