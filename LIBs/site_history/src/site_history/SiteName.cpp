#include <site_history/SiteName.h>

namespace site_history {

namespace {

// Control characters, and the separators that end a line as a line feed
// does in many viewers.
bool breaksLine(char32_t c)
{
    return QChar::category(c) == QChar::Other_Control || c == 0x2028 || c == 0x2029;
}

} // namespace

QString siteNameProblem(const QString& name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("Название объекта не может быть пустым");
    int characters = 0;
    for (int i = 0; i < name.size(); ++i) {
        const QChar unit = name.at(i);
        char32_t c = unit.unicode();
        if (unit.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate())
            c = QChar::surrogateToUcs4(unit, name.at(++i));
        else if (unit.isSurrogate() || c == 0xFFFD)
            return QStringLiteral("Название объекта записано не в UTF-8");
        if (breaksLine(c))
            return QStringLiteral("Название объекта не может содержать управляющие знаки (табуляцию, перевод строки)");
        ++characters;
    }
    if (name.trimmed() != name)
        return QStringLiteral("Название объекта не может начинаться или кончаться пробелом");
    if (characters > maxSiteNameLength)
        return QStringLiteral("Название объекта длиннее %1 знаков").arg(maxSiteNameLength);
    return QString();
}

QString escapedSiteName(const QString& name)
{
    QString escaped;
    escaped.reserve(name.size());
    for (const QChar c : name) {
        switch (c.unicode()) {
        case '\\':
            escaped += QLatin1String("\\\\");
            break;
        case '\t':
            escaped += QLatin1String("\\t");
            break;
        case '\n':
            escaped += QLatin1String("\\n");
            break;
        case '\r':
            escaped += QLatin1String("\\r");
            break;
        default:
            if (breaksLine(c.unicode()))
                escaped += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                escaped += c;
        }
    }
    return escaped;
}

} // namespace site_history
