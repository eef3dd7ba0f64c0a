#include <site_history/ServerAddress.h>

#include <site_history/HistoryError.h>

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

#include <utility>
#include <vector>

namespace site_history {

namespace {

constexpr int defaultConnectTimeoutSeconds = 10;

// The URI itself is not repeated: it may hold the password it must not.
[[noreturn]] void refuse(const QString& why)
{
    throw HistoryError(HistoryError::Fault::CannotOpen, ("Неверный адрес истории на сервере: " + why).toStdString());
}

// A value in libpq's quoting: in single quotes, with \ and ' escaped.
QString quoted(QString value)
{
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

} // namespace

bool isServerLocation(const QString& location)
{
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
           || location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString serverConnectionString(const QString& uri)
{
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid())
        refuse(url.errorString());
    const QString noPassword = QStringLiteral("пароль не указывается в адресе; его берут из файла паролей "
                                              "(~/.pgpass, %APPDATA%\\postgresql\\pgpass.conf, PGPASSFILE) "
                                              "или из PGPASSWORD");
    if (!url.password().isEmpty())
        refuse(noPassword);

    std::vector<std::pair<QString, QString>> options;
    if (!url.userName().isEmpty())
        options.emplace_back(QStringLiteral("user"), url.userName(QUrl::FullyDecoded));
    if (!url.host().isEmpty())
        options.emplace_back(QStringLiteral("host"), url.host(QUrl::FullyDecoded));
    if (url.port() != -1)
        options.emplace_back(QStringLiteral("port"), QString::number(url.port()));
    const QString database = url.path(QUrl::FullyDecoded).mid(1);
    if (!database.isEmpty())
        options.emplace_back(QStringLiteral("dbname"), database);

    bool timeoutGiven = false;
    static const QRegularExpression keyword(QStringLiteral("^[a-z_]+$"));
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (!keyword.match(key).hasMatch())
            refuse(QStringLiteral("неизвестный параметр «%1»").arg(key));
        if (key == QLatin1String("password") || key == QLatin1String("passfile"))
            refuse(noPassword);
        // The driver takes ';' for a separator of its options.
        if (value.contains(QLatin1Char(';')))
            refuse(QStringLiteral("знак «;» в значении параметра «%1»").arg(key));
        timeoutGiven = timeoutGiven || key == QLatin1String("connect_timeout");
        options.emplace_back(key, value);
    }
    if (!timeoutGiven)
        options.emplace_back(QStringLiteral("connect_timeout"), QString::number(defaultConnectTimeoutSeconds));
    options.emplace_back(QStringLiteral("fallback_application_name"), QStringLiteral("quorvel"));

    QStringList parts;
    for (const auto& [key, value] : options)
        parts << key + QLatin1Char('=') + quoted(value);
    return parts.join(QLatin1Char(' '));
}

} // namespace site_history
