#include <SitesDialog.h>

#include "ui_SitesDialog.h"

#include <archive_table/TableSource.h>
#include <memory_dump/DumpError.h>
#include <memory_dump/DumpFile.h>
#include <site_history/ServerAddress.h>
#include <site_history/SiteHistory.h>

#include <QDir>
#include <QHeaderView>
#include <QPushButton>

namespace {

enum Column { NameColumn, ReadsColumn, EventsColumn, FirstReadColumn, LastReadColumn };

// Counts sort as numbers.
QTableWidgetItem* numberItem(int value)
{
    auto* item = new QTableWidgetItem;
    item->setData(Qt::DisplayRole, value);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

SitesDialog::SitesDialog(site_history::SiteHistory& store, UserPrompts prompts, QWidget* parent)
    : QDialog(parent, Qt::WindowCloseButtonHint), ui(new Ui::SitesDialog), store(store), prompts(std::move(prompts))
{
    ui->setupUi(this);
    // Which store the sites are of: a file's path or a server's address.
    setWindowTitle(tr("Объекты — %1").arg(QDir::toNativeSeparators(site_history::shownLocation(store.location()))));
    ui->sites->horizontalHeader()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    ui->sites->horizontalHeader()->setStretchLastSection(false);
    connect(ui->openHistory, &QPushButton::clicked, this, &SitesDialog::onOpenHistory);
    connect(ui->renameSite, &QPushButton::clicked, this, &SitesDialog::onRenameSite);
    connect(ui->deleteSite, &QPushButton::clicked, this, &SitesDialog::onDeleteSite);
    connect(ui->saveReadDump, &QPushButton::clicked, this, &SitesDialog::onSaveReadDump);
    connect(ui->closeSites, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->sites, &QTableWidget::itemSelectionChanged, this, &SitesDialog::updateButtons);
    connect(ui->sites, &QTableWidget::itemDoubleClicked, this, &SitesDialog::onOpenHistory);
    fillSites();
}

SitesDialog::~SitesDialog()
{
    delete ui;
}

void SitesDialog::fillSites()
{
    const QString selected = selectedSite();
    ui->sites->setSortingEnabled(false);
    ui->sites->setRowCount(0);
    try {
        const std::vector<site_history::SiteInfo> sites = store.sites();
        ui->sites->setRowCount(static_cast<int>(sites.size()));
        for (int row = 0; row < int(sites.size()); ++row) {
            const site_history::SiteInfo& site = sites[std::size_t(row)];
            ui->sites->setItem(row, NameColumn, new QTableWidgetItem(site.name));
            ui->sites->setItem(row, ReadsColumn, numberItem(site.reads));
            ui->sites->setItem(row, EventsColumn, numberItem(site.events));
            ui->sites->setItem(row, FirstReadColumn, new QTableWidgetItem(archive_table::shownTime(site.firstRead)));
            ui->sites->setItem(row, LastReadColumn, new QTableWidgetItem(archive_table::shownTime(site.lastRead)));
        }
    } catch (const site_history::HistoryError& error) {
        prompts.showCritical(QString::fromUtf8(error.what()));
    }
    ui->sites->setSortingEnabled(true);
    ui->sites->resizeColumnsToContents();
    selectSite(selected);
    if (!ui->sites->currentItem() && ui->sites->rowCount() > 0)
        ui->sites->selectRow(0);
    updateButtons();
}

void SitesDialog::selectSite(const QString& name)
{
    for (int row = 0; row < ui->sites->rowCount(); ++row)
        if (ui->sites->item(row, NameColumn)->text() == name)
            ui->sites->selectRow(row);
}

QString SitesDialog::selectedSite() const
{
    const QList<QTableWidgetItem*> selected = ui->sites->selectedItems();
    if (selected.isEmpty())
        return QString();
    return ui->sites->item(selected.front()->row(), NameColumn)->text();
}

void SitesDialog::updateButtons()
{
    const bool any = !selectedSite().isEmpty();
    for (QPushButton* button : {ui->openHistory, ui->renameSite, ui->deleteSite, ui->saveReadDump})
        button->setEnabled(any);
}

void SitesDialog::onOpenHistory()
{
    chosen = selectedSite();
    if (!chosen.isEmpty())
        accept();
}

void SitesDialog::onRenameSite()
{
    const QString site = selectedSite();
    if (site.isEmpty())
        return;
    const QString name = prompts.askText(tr("Новое название объекта «%1»:").arg(site), site).trimmed();
    if (name.isEmpty() || name == site)
        return;
    try {
        store.renameSite(site, name);
    } catch (const site_history::HistoryError& error) {
        prompts.showCritical(QString::fromUtf8(error.what()));
        return;
    }
    fillSites();
    selectSite(name);
}

void SitesDialog::onDeleteSite()
{
    const QString site = selectedSite();
    if (site.isEmpty())
        return;
    try {
        const std::optional<site_history::SiteInfo> info = store.site(site);
        if (!info)
            return;
        if (!prompts.askYesNo(tr("Удалить объект «%1» из истории? Будут удалены чтений: %2, событий: %3.")
                                  .arg(site)
                                  .arg(info->reads)
                                  .arg(info->events)))
            return;
        store.deleteSite(site);
    } catch (const site_history::HistoryError& error) {
        prompts.showCritical(QString::fromUtf8(error.what()));
    }
    fillSites();
}

void SitesDialog::onSaveReadDump()
{
    const QString site = selectedSite();
    if (site.isEmpty())
        return;
    try {
        const std::vector<site_history::ReadInfo> reads = store.reads(site);
        QStringList items;
        for (const site_history::ReadInfo& read : reads)
            items << tr("%1, порт %2").arg(archive_table::shownTime(read.readTime), read.port);
        const int chosenRead = prompts.askChoice(tr("Чтение объекта «%1»:").arg(site), items);
        if (chosenRead < 0 || chosenRead >= int(reads.size()))
            return;
        const QString fileName = prompts.askSaveName(SavedFile::Dump);
        if (fileName.isEmpty())
            return;
        memory_dump::saveDumpFile(fileName, store.readDump(reads[std::size_t(chosenRead)].id));
    } catch (const site_history::HistoryError& error) {
        prompts.showCritical(QString::fromUtf8(error.what()));
    } catch (const memory_dump::DumpError& error) {
        prompts.showCritical(QString::fromUtf8(error.what()));
    }
}
