// Qt's own texts in Russian, with the application started as main starts
// it, and the two layouts the translation files come in.

#include <ViewerStartup.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

namespace {

QString cancelText()
{
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    return box.button(QDialogButtonBox::Cancel)->text();
}

QString qtFolder()
{
    return QLibraryInfo::location(QLibraryInfo::TranslationsPath);
}

QStringList loadedFiles(const std::vector<std::unique_ptr<QTranslator>>& translators)
{
    QStringList files;
    for (const auto& translator : translators)
        files << QFileInfo(translator->filePath()).absoluteFilePath();
    return files;
}

} // namespace

class QtTranslationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(qtFolder() + QStringLiteral("/qtbase_ru.qm")),
                 "Qt's Russian translation is missing (Debian: qttranslations5-l10n)");
        QCOMPARE(cancelText(), QStringLiteral("Cancel"));
    }

    void startedAsMainDoesTheButtonsSpeakRussian()
    {
        const auto translators = prepareViewerApplication();
        QCOMPARE(cancelText(), QStringLiteral("Отмена"));
        QVERIFY(QApplication::organizationName().size() > 0);
    }

    void besideTheProgramComesFirst()
    {
        // The Windows layout: qtbase_ru.qm and qt_ru.qm beside the program,
        // without the catalogues qt_ru.qm refers to, so only qtbase loads
        // there and qt_ru comes from Qt's folder.
        QTemporaryDir beside;
        for (const char* name : {"qtbase_ru.qm", "qt_ru.qm"})
            QVERIFY(QFile::copy(qtFolder() + '/' + name, beside.filePath(name)));
        const auto translators = installQtTranslations({beside.path(), qtFolder()});
        QCOMPARE(cancelText(), QStringLiteral("Отмена"));
        const QStringList files = loadedFiles(translators);
        QVERIFY2(files.size() >= 1, qPrintable(files.join(' ')));
        QCOMPARE(files.first(), QFileInfo(beside.filePath("qtbase_ru.qm")).absoluteFilePath());
        for (const QString& file : files.mid(1))
            QVERIFY2(file.startsWith(QFileInfo(qtFolder()).absoluteFilePath()), qPrintable(file));
    }

    void onlyInQtsFolderAsAnInstalledLinuxBuild()
    {
        QTemporaryDir beside;
        const auto translators = installQtTranslations({beside.path(), qtFolder()});
        QCOMPARE(cancelText(), QStringLiteral("Отмена"));
        QVERIFY(!loadedFiles(translators).isEmpty());
    }

    void nowhereLeavesEnglishAndTheTranslatorsLeaveWithTheirOwner()
    {
        QTemporaryDir empty;
        QVERIFY(installQtTranslations({empty.path()}).empty());
        QCOMPARE(cancelText(), QStringLiteral("Cancel"));
        {
            const auto translators = installQtTranslations({qtFolder()});
            QCOMPARE(cancelText(), QStringLiteral("Отмена"));
        }
        QCOMPARE(cancelText(), QStringLiteral("Cancel"));
    }
};

int main(int argc, char* argv[])
{
    // As main starts the program: the application object first, nothing
    // installed yet.
    QApplication application(argc, argv);
    QtTranslationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "QtTranslationTest.moc"
