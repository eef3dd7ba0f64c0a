#include <UserPrompts.h>

#include <HistoryController.h>
#include <SaveNames.h>
#include <ViewerSettings.h>

#include <file_output/OutputFile.h>
#include <memory_dump/DumpFile.h>
#include <site_history/ServerAddress.h>

#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QStandardPaths>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("UserPrompts", text);
}

bool askYesNo(QWidget* window, const QString& question)
{
    return QMessageBox::question(window, window->windowTitle(), question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No)
        == QMessageBox::Yes;
}

QString dumpFilter()
{
    return tr("Дампы памяти (*.%1)").arg(QLatin1String(memory_dump::dumpExtension));
}

QString askSaveName(QWidget* window, SavedFile kind, const QString& proposed)
{
    QString title;
    QString filter;
    QString suffix;
    switch (kind) {
    case SavedFile::Text:
        title = tr("Сохранить таблицу");
        filter = tr("Текстовые документы (*.txt)");
        suffix = QStringLiteral("txt");
        break;
    case SavedFile::Csv:
        title = tr("Экспорт в CSV");
        filter = tr("Файлы CSV (*.csv)");
        suffix = QStringLiteral("csv");
        break;
    case SavedFile::Dump:
        title = tr("Сохранить дамп памяти");
        filter = dumpFilter();
        suffix = QLatin1String(memory_dump::dumpExtension);
        break;
    case SavedFile::Report:
        title = tr("Сохранить отчёт в PDF");
        filter = tr("Документы PDF (*.pdf)");
        suffix = QStringLiteral("pdf");
        break;
    }
    QFileDialog dialog(window, title, ViewerSettings::saveFolder(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (!proposed.isEmpty())
        dialog.selectFile(proposed + QLatin1Char('.') + suffix);
    // The dialog adds the suffix itself, so that it asks before replacing
    // the very file that will be written; where a dot in a folder's name
    // kept it from doing so, the suffix is added here and the question
    // asked here.
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QString chosen = dialog.selectedFiles().value(0);
    const QString name = withSuffix(chosen, suffix);
    if (name != chosen && QFileInfo::exists(name)
        && !askYesNo(window, tr("Файл «%1» уже существует. Заменить его?").arg(QFileInfo(name).fileName())))
        return QString();
    ViewerSettings::rememberSaveFolder(name);
    return name;
}

QString askStoreFileName(QWidget* window)
{
    const QString store = HistoryController::storePath();
    const QString folder = site_history::isServerLocation(store)
                               ? QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
                               : QFileInfo(store).absolutePath();
    // An existing file or a new name: an existing store is opened, not
    // replaced, so no question about it.
    QFileDialog dialog(window, tr("Файл истории"), folder, tr("История объектов (*.sqlite)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setLabelText(QFileDialog::Accept, tr("Выбрать"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(QStringLiteral("sqlite"));
    return dialog.exec() == QDialog::Accepted ? withSuffix(dialog.selectedFiles().value(0), QStringLiteral("sqlite"))
                                              : QString();
}

} // namespace

UserPrompts dialogPrompts(QWidget* window)
{
    UserPrompts prompts;
    prompts.runDialog = [](QDialog& dialog) { return dialog.exec(); };
    prompts.showCritical = [window](const QString& text) {
        QMessageBox::critical(window, tr("Ошибка"), text, QMessageBox::Ok);
    };
    prompts.askYesNo = [window](const QString& question) { return askYesNo(window, question); };
    prompts.askText = [window](const QString& label, const QString& text) {
        return QInputDialog::getText(window, window->windowTitle(), label, QLineEdit::Normal, text);
    };
    prompts.askChoice = [window](const QString& label, const QStringList& items) {
        bool ok = false;
        const QString item =
            QInputDialog::getItem(window, window->windowTitle(), label, items, items.size() - 1, false, &ok);
        return ok ? items.indexOf(item) : -1;
    };
    prompts.askSaveName = [window](SavedFile kind, const QString& proposed) {
        return askSaveName(window, kind, proposed);
    };
    prompts.askOpenDumpName = [window] {
        return QFileDialog::getOpenFileName(window, QString(), ViewerSettings::saveFolder(), dumpFilter());
    };
    prompts.askStoreFileName = [window] { return askStoreFileName(window); };
    prompts.createOutputFile = [](const QString& fileName) {
        return std::make_unique<file_output::OutputFile>(fileName);
    };
    return prompts;
}

bool writeSavedFile(const UserPrompts& prompts, const QString& fileName, bool text,
                    const std::function<bool(QIODevice&)>& write)
{
    const std::unique_ptr<file_output::OutputFile> file = prompts.createOutputFile
                                                              ? prompts.createOutputFile(fileName)
                                                              : std::make_unique<file_output::OutputFile>(fileName);
    if (!file->open(text ? QIODevice::Text : QIODevice::NotOpen)) {
        prompts.showCritical(tr("Невозможно открыть файл для записи"));
        return false;
    }
    if (!write(file->device()) || !file->commit()) {
        file->cancel();
        prompts.showCritical(tr("Ошибка при записи файла"));
        return false;
    }
    return true;
}
