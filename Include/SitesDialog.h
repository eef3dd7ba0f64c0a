#pragma once

#include <UserPrompts.h>

#include <QDialog>

namespace Ui {
class SitesDialog;
}

namespace site_history {
class SiteHistory;
}

// The sites of the history with their reads, events and the span of their
// reads: open a site's history, rename or delete a site, save one of its
// reads as a dump file.
class SitesDialog : public QDialog {
    Q_OBJECT

public:
    SitesDialog(site_history::SiteHistory& store, UserPrompts prompts, QWidget* parent = nullptr);
    ~SitesDialog() override;

    // The site whose history the user asked to open; empty when none.
    const QString& siteToOpen() const { return chosen; }

    void selectSite(const QString& name);
    QString selectedSite() const;

public slots:
    void onOpenHistory();
    void onRenameSite();
    void onDeleteSite();
    void onSaveReadDump();

private:
    void fillSites();
    void updateButtons();

    Ui::SitesDialog* ui;
    site_history::SiteHistory& store;
    UserPrompts prompts;
    QString chosen;
};
