#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QDialog;
class QIODevice;
class QWidget;

namespace file_output {
class OutputFile;
}

// The kinds of file the viewer saves, each with its filter and suffix.
enum class SavedFile { Text, Csv, Dump, Report };

// Every way the viewer asks the user something or tells of a failure, in
// one value that each dialog-raising part is given: the window makes it of
// real dialogs, tests of answers.
struct UserPrompts {
    // Runs a dialog modally; its result.
    std::function<int(QDialog& dialog)> runDialog;
    std::function<void(const QString& text)> showCritical;
    std::function<bool(const QString& question)> askYesNo;
    // A text, starting from `text`; empty when cancelled.
    std::function<QString(const QString& label, const QString& text)> askText;
    // The index of the chosen item, or -1.
    std::function<int(const QString& label, const QStringList& items)> askChoice;
    // A name to save a file of the kind under, its suffix added, `proposed`
    // (without a suffix) offered first; empty when cancelled.
    std::function<QString(SavedFile kind, const QString& proposed)> askSaveName;
    std::function<QString()> askOpenDumpName;
    // An existing store file or a new name; empty when cancelled.
    std::function<QString()> askStoreFileName;
    // The file a save writes through: replaced on failure, so that a full
    // disk leaves the old file whole.
    std::function<std::unique_ptr<file_output::OutputFile>(const QString& fileName)> createOutputFile;
};

// The prompts as the desktop's dialogs over `window`; the save dialogs start
// in the folder saved in last and remember the one chosen.
UserPrompts dialogPrompts(QWidget* window);

// Writes a file the user asked to save: whole or not at all, through the
// prompts' file (a plain one when they give none), failures said in a box.
bool writeSavedFile(const UserPrompts& prompts, const QString& fileName, bool text,
                    const std::function<bool(QIODevice&)>& write);
