#include <ViewerArguments.h>

#include <QCommandLineParser>
#include <QCoreApplication>

ViewerArguments parseViewerArguments(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption history(QStringLiteral("history"), QString(), QStringLiteral("STORE"));
    const QCommandLineOption site(QStringLiteral("site"), QString(), QStringLiteral("NAME"));
    parser.addOption(history);
    parser.addOption(site);
    ViewerArguments parsed;
    if (!parser.parse(arguments)) {
        parsed.problem = parser.errorText();
        return parsed;
    }
    parsed.store = parser.value(history);
    parsed.site = parser.value(site);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1 || (!files.isEmpty() && parser.isSet(site))) {
        parsed.problem = QCoreApplication::translate(
            "ViewerArguments", "Программе называют один дамп памяти или объект (--site), а не: %1")
                             .arg(arguments.mid(1).join(QLatin1Char(' ')));
        return parsed;
    }
    parsed.dumpFile = files.value(0);
    return parsed;
}
