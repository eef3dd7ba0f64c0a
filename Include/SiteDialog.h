#pragma once

#include <QDialog>
#include <QStringList>

namespace Ui {
class SiteDialog;
}

// Asks which site (объект) a read of a panel the history does not know
// belongs to: one of the sites kept, or a new name. "Не сохранять в
// истории" rejects the dialog.
class SiteDialog : public QDialog {
    Q_OBJECT

public:
    SiteDialog(const QStringList& sites, QWidget* parent = nullptr);
    ~SiteDialog() override;

    // The name chosen, or typed without surrounding spaces.
    QString siteName() const;
    void setSiteName(const QString& name);

private:
    void updateOk();

    Ui::SiteDialog* ui;
    QStringList knownSites;
};
