#include <site_history/ServerAddress.h>

#include <site_history/HistoryError.h>

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

#include <optional>
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

const QString noPassword = QStringLiteral("пароль не указывается в адресе; его берут из файла паролей "
                                         "(~/.pgpass, %APPDATA%\\postgresql\\pgpass.conf, PGPASSFILE) "
                                         "или из PGPASSWORD");

// A parameter that carries a secret, however it is spelt: libpq would not
// take PASSWORD or pass%77ord, but a message would still show their value.
bool isSecretKey(const QString& rawKey)
{
    static const QStringList secrets = {QStringLiteral("password"), QStringLiteral("passfile"),
                                        QStringLiteral("sslpassword")};
    return secrets.contains(QUrl::fromPercentEncoding(rawKey.toUtf8()).toLower());
}

// A URI cut as text, so that its secret parts are found in one that QUrl
// cannot parse as well.
struct UriText {
    QString scheme; // with "://"
    std::optional<QString> userPart;
    QString hostAndPath;
    std::optional<QString> query; // after '?'
    QString fragment;             // from '#' on
};

UriText splitUri(const QString& uri)
{
    UriText text;
    const int schemeEnd = uri.indexOf(QLatin1String("://")) + 3;
    text.scheme = uri.left(schemeEnd);
    QString rest = uri.mid(schemeEnd);
    // In a URI that parses, the user part ends before the host, which ends
    // at the path. In one that does not, a password may hold any character,
    // '/', '?' and '#' included: everything up to the last '@' is taken for
    // the user part, which may hide too much but never too little.
    int at = rest.lastIndexOf(QLatin1Char('@'));
    if (QUrl(uri, QUrl::StrictMode).isValid()) {
        static const QRegularExpression hostEnd(QStringLiteral("[/?#]"));
        const int end = rest.indexOf(hostEnd);
        at = rest.left(end < 0 ? rest.size() : end).lastIndexOf(QLatin1Char('@'));
    }
    if (at >= 0) {
        text.userPart = rest.left(at);
        rest.remove(0, at + 1);
    }
    if (const int hash = rest.indexOf(QLatin1Char('#')); hash >= 0) {
        text.fragment = rest.mid(hash);
        rest.truncate(hash);
    }
    if (const int question = rest.indexOf(QLatin1Char('?')); question >= 0) {
        text.query = rest.mid(question + 1);
        rest.truncate(question);
    }
    text.hostAndPath = rest;
    return text;
}

// What QUrl found wrong, without its own text: that repeats the URI whole.
QString parseFault(const QString& qtError)
{
    static const std::pair<const char*, const char*> parts[] = {
        {"Invalid user name", "имени пользователя"},
        {"Invalid password", nullptr},
        {"Invalid hostname", "имени сервера"},
        {"Invalid IPv", "адреса сервера"},
        {"Invalid port", "порта"},
        {"Invalid path", "имени базы"},
        {"Invalid query", "параметров (после «?»)"},
        {"Invalid fragment", "части после «#»"},
    };
    for (const auto& [prefix, part] : parts)
        if (qtError.startsWith(QLatin1String(prefix)))
            return part ? QStringLiteral("ошибка в записи %1: недопустимый знак или неверная %-последовательность")
                              .arg(QString::fromUtf8(part))
                        : noPassword;
    return QStringLiteral("адрес записан с ошибкой");
}

} // namespace

bool isServerLocation(const QString& location)
{
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
           || location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString serverConnectionString(const QString& uri)
{
    const UriText text = splitUri(uri);
    if (text.userPart && text.userPart->contains(QLatin1Char(':')))
        refuse(noPassword);
    if (text.query)
        for (const QString& item : text.query->split(QLatin1Char('&')))
            if (isSecretKey(item.section(QLatin1Char('='), 0, 0)))
                refuse(noPassword);
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid())
        refuse(parseFault(url.errorString()));

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

QString shownLocation(const QString& location)
{
    if (!isServerLocation(location))
        return location;
    const UriText text = splitUri(location);
    QString shown = text.scheme;
    if (text.userPart)
        shown += text.userPart->section(QLatin1Char(':'), 0, 0) + QLatin1Char('@');
    shown += text.hostAndPath;
    if (text.query) {
        QStringList items = text.query->split(QLatin1Char('&'));
        for (QString& item : items)
            if (const QString key = item.section(QLatin1Char('='), 0, 0); isSecretKey(key))
                item = key + QStringLiteral("=***");
        shown += QLatin1Char('?') + items.join(QLatin1Char('&'));
    }
    return shown + text.fragment;
}

} // namespace site_history
