#include <AboutProgram.h>

#include <ProgramFiles.h>
#include <QAboutDialog.h>
#include <archive_table/ProgramInfo.h>

#include <QUrl>

namespace {

// A link to one of the files that come with the program, for the about box.
QString fileLink(const QString& fileName, const QString& text)
{
    const QUrl url = QUrl::fromLocalFile(programFilePath(fileName));
    return QStringLiteral("<a href=\"%1\">%2</a>")
        .arg(url.toString(QUrl::FullyEncoded).toHtmlEscaped(), text);
}

// The maker's texts of the about box, built once.
const QString& contactsText()
{
    static const QString text = QStringLiteral(
        "<html>Сайт: <a href=\"https://quorvel-viewer.example.invalid/\">"
        "quorvel-viewer.example.invalid</a><br>"
        "E-mail: <a href=\"mailto:support@quorvel-viewer.example.invalid\">"
        "support@quorvel-viewer.example.invalid</a></html>");
    return text;
}

const QString& thirdPartiesText()
{
    static const QString licensingPage = QStringLiteral("https://qt-licensing.example.invalid/");
    static const QString text =
        QStringLiteral("<html>Данная программа использует Qt версии ") + QString::fromUtf8(qVersion())
        + QStringLiteral(".<br>Copyright (C) 2019 The Qt Toolkit Authors.<br>")
        + QStringLiteral("Указанное программное обеспечение, его распространение, модификация и использование подпадают под действие положений лицензии GNU Lesser General Public License Version 3, полный текст которой представлен в файле ")
        + fileLink(QStringLiteral("LGPL.txt"), QStringLiteral("LGPL.txt"))
        + QStringLiteral(", расположенном в установочной директории, а также по адресу ")
        + QStringLiteral("<a href=\"%1\">%1</a>").arg(licensingPage) + QStringLiteral(".</html>");
    return text;
}

} // namespace

void showAboutProgram(QWidget* parent)
{
    QAboutDialog about(parent);
    about.setCaption(QString::fromUtf8(programCaption));
    about.setVersion(QString::fromUtf8(programVersionPrefix) + QString::fromUtf8(programVersion));
    about.setDescription(QString::fromUtf8(programDescription));
    about.setCopyright(QStringLiteral("© 2019 Quorvel Viewer Developers. Все права защищены."));
    about.setLicense(QStringLiteral("<html>")
                     + fileLink(QStringLiteral("License.txt"), QStringLiteral("Посмотреть текст лицензионного соглашения"))
                     + QStringLiteral("</html>"));
    about.setContacts(contactsText());
    about.setThirdParties(thirdPartiesText());
    about.show();
}
