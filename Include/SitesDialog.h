#pragma once

#include <UserPrompts.h>

#include <QDate>
#include <QDialog>

#include <functional>

namespace Ui {
class SitesDialog;
}

namespace site_history {
class SiteHistory;
}

class QSortFilterProxyModel;
class SiteOverviewModel;

// The overview of all sites of the history: each site's reads and events,
// its last read and what that read brought, and whether the site is due
// for its service, sortable by every column and searchable by name, saved
// as CSV as the reader writes it. From here a site's history is opened, a
// site renamed, joined with another, deleted or given its own service
// interval, and one of its reads saved as a dump file.
//
// The lists are queried off the window's thread (see HistoryOpening.h), so a
// slow server does not freeze the window.
class SitesDialog : public QDialog {
    Q_OBJECT

public:
    SitesDialog(site_history::SiteHistory& store, UserPrompts prompts, QWidget* parent = nullptr);
    ~SitesDialog() override;

    // Joins the history of the site `from` into the site `into`, which
    // stays; run on a connection of its own off the window's thread. Until
    // one is given, "Объединить…" is hidden.
    using MergeSites = std::function<void(site_history::SiteHistory& store, const QString& from, const QString& into)>;
    void setMergeSites(MergeSites merge);

    // The site whose history the user asked to open; empty when none.
    const QString& siteToOpen() const { return chosen; }

    void selectSite(const QString& name);
    QString selectedSite() const;

    // The day the days since the last reads are counted to; today unless a
    // test says otherwise. Lists the sites again.
    void setToday(const QDate& today);

public slots:
    void onOpenHistory();
    void onRenameSite();
    void onMergeSites();
    void onDeleteSite();
    void onSaveReadDump();
    void onSetServiceDays();
    void onExportCsv();

protected:
    // The columns are fitted whenever the table's viewport changes size:
    // the dialog's own resize comes before its layout has sized the table.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillSites();
    void fitColumns();
    void updateButtons();
    // The model's row of the selected site, or -1.
    int selectedRow() const;

    Ui::SitesDialog* ui;
    site_history::SiteHistory& store;
    UserPrompts prompts;
    SiteOverviewModel* model;
    QSortFilterProxyModel* shown;
    MergeSites merge;
    QDate today = QDate::currentDate();
    QString chosen;
};
