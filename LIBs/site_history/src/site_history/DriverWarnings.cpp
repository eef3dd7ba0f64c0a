#include <site_history/DriverWarnings.h>

#include <QString>

namespace site_history {

namespace {

QtMessageHandler previousHandler = nullptr;

void withoutDriverWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtWarningMsg
        && (text.startsWith(QLatin1String("Unable to free statement"))
            || text.startsWith(QLatin1String("QSqlQuery::exec: database not open"))))
        return;
    previousHandler(type, context, text);
}

} // namespace

QuietDriverWarnings::QuietDriverWarnings()
{
    previousHandler = qInstallMessageHandler(withoutDriverWarnings);
}

QuietDriverWarnings::~QuietDriverWarnings()
{
    qInstallMessageHandler(previousHandler);
}

} // namespace site_history
