#pragma once

#include <QString>

#include <string>

class QAboutForm;
class QWidget;

// Fills the about box's labels and runs it; labels left empty are hidden.
class QAboutDialog {
public:
    explicit QAboutDialog(QWidget* parent = nullptr);
    virtual ~QAboutDialog();

    QAboutDialog(const QAboutDialog&) = delete;
    QAboutDialog& operator=(const QAboutDialog&) = delete;

    // Each setter takes UTF-8 bytes or a QString.
    void setCaption(const std::string& text);
    void setCaption(const QString& text);
    void setVersion(const std::string& text);
    void setVersion(const QString& text);
    void setDescription(const std::string& text);
    void setDescription(const QString& text);
    void setCopyright(const std::string& text);
    void setCopyright(const QString& text);
    void setLicense(const std::string& text);
    void setLicense(const QString& text);
    void setContacts(const std::string& text);
    void setContacts(const QString& text);
    void setThirdParties(const std::string& text);
    void setThirdParties(const QString& text);

    // Runs the box modally.
    void show();

    QAboutForm* form() const { return aboutForm; }

private:
    QAboutForm* aboutForm;
};
