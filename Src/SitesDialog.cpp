#include <SitesDialog.h>

#include "ui_SitesDialog.h"

#include <HistoryOpening.h>
#include <SaveNames.h>
#include <SiteOverviewModel.h>

#include <archive_table/CsvExport.h>
#include <archive_table/TableSource.h>
#include <memory_dump/DumpError.h>
#include <memory_dump/DumpFile.h>
#include <site_history/ServerAddress.h>
#include <site_history/SiteHistory.h>
#include <site_statistics/SiteOverview.h>

#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QSortFilterProxyModel>

#include <algorithm>

SitesDialog::SitesDialog(site_history::SiteHistory& store, UserPrompts prompts, QWidget* parent)
    : QDialog(parent, Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      ui(new Ui::SitesDialog),
      store(store),
      prompts(std::move(prompts)),
      model(new SiteOverviewModel(this)),
      shown(new QSortFilterProxyModel(this))
{
    ui->setupUi(this);
    // Which store the sites are of: a file's path or a server's address.
    setWindowTitle(
        tr("Обзор объектов — %1").arg(QDir::toNativeSeparators(site_history::shownLocation(store.location()))));
    shown->setSourceModel(model);
    shown->setSortRole(SiteOverviewModel::sortRole);
    shown->setSortCaseSensitivity(Qt::CaseInsensitive);
    shown->setSortLocaleAware(true);
    shown->setFilterKeyColumn(SiteOverviewModel::NameColumn);
    shown->setFilterCaseSensitivity(Qt::CaseInsensitive);
    ui->sites->setModel(shown);
    ui->sites->sortByColumn(SiteOverviewModel::NameColumn, Qt::AscendingOrder);
    ui->sites->setTextElideMode(Qt::ElideRight);
    ui->sites->viewport()->installEventFilter(this);
    ui->serviceDays->setSpecialValueText(tr("по умолчанию (%1)").arg(site_statistics::defaultServiceDays));
    ui->mergeSites->hide();
    ui->exportCsv->setVisible(bool(this->prompts.askSaveName));

    connect(ui->siteFilter, &QLineEdit::textChanged, this, [this](const QString& text) {
        shown->setFilterFixedString(text.trimmed());
        updateButtons();
    });
    connect(ui->openHistory, &QPushButton::clicked, this, &SitesDialog::onOpenHistory);
    connect(ui->renameSite, &QPushButton::clicked, this, &SitesDialog::onRenameSite);
    connect(ui->mergeSites, &QPushButton::clicked, this, &SitesDialog::onMergeSites);
    connect(ui->deleteSite, &QPushButton::clicked, this, &SitesDialog::onDeleteSite);
    connect(ui->saveReadDump, &QPushButton::clicked, this, &SitesDialog::onSaveReadDump);
    connect(ui->setServiceDays, &QPushButton::clicked, this, &SitesDialog::onSetServiceDays);
    connect(ui->exportCsv, &QPushButton::clicked, this, &SitesDialog::onExportCsv);
    connect(ui->closeSites, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->sites->selectionModel(), &QItemSelectionModel::selectionChanged, this, &SitesDialog::updateButtons);
    connect(ui->sites, &QTableView::doubleClicked, this, [this](const QModelIndex& at) {
        ui->sites->selectRow(at.row());
        onOpenHistory();
    });

    // Opened no larger than the screen it opens on leaves room for.
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        resize(size().boundedTo(screen->availableGeometry().size() * 0.95));
    fillSites();
}

SitesDialog::~SitesDialog()
{
    delete ui;
}

void SitesDialog::setMergeSites(MergeSites join)
{
    merge = std::move(join);
    ui->mergeSites->setVisible(bool(merge));
    updateButtons();
}

void SitesDialog::setToday(const QDate& day)
{
    today = day;
    fillSites();
}

void SitesDialog::fillSites()
{
    const QString selected = selectedSite();
    const SitesOverview listed = overviewAside(store.location());
    if (!listed.error.isEmpty())
        prompts.showCritical(listed.error);
    model->setSites(listed.sites, listed.overview, today);
    fitColumns();
    selectSite(selected);
    if (!ui->sites->selectionModel()->hasSelection() && shown->rowCount() > 0)
        ui->sites->selectRow(0);
    updateButtons();
}

void SitesDialog::fitColumns()
{
    // Every column but the name's as wide as its texts. The name takes what
    // they leave, at least a quarter of the table and at most its longest
    // text; a longer one is cut short (whole in its tool tip), so that a
    // long name never pushes the counts out of sight.
    QHeaderView* header = ui->sites->horizontalHeader();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(SiteOverviewModel::NameColumn, QHeaderView::Interactive);
    int others = 0;
    for (int column = 0; column < header->count(); ++column)
        if (column != SiteOverviewModel::NameColumn)
            others += header->sectionSize(column);
    const int room = ui->sites->viewport()->width();
    const QAbstractItemView* view = ui->sites;
    const int wanted = std::max(view->sizeHintForColumn(SiteOverviewModel::NameColumn),
                                header->sectionSizeHint(SiteOverviewModel::NameColumn));
    header->resizeSection(SiteOverviewModel::NameColumn, std::min(wanted, std::max(room - others, room / 4)));
}

bool SitesDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->sites->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    return QDialog::eventFilter(watched, event);
}

int SitesDialog::selectedRow() const
{
    const QModelIndexList rows = ui->sites->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return -1;
    return shown->mapToSource(rows.front()).row();
}

void SitesDialog::selectSite(const QString& name)
{
    const int row = model->rowOf(name);
    if (row < 0)
        return;
    const QModelIndex at = shown->mapFromSource(model->index(row, SiteOverviewModel::NameColumn));
    if (at.isValid()) {
        ui->sites->selectRow(at.row());
        ui->sites->scrollTo(at);
    }
}

QString SitesDialog::selectedSite() const
{
    const int row = selectedRow();
    return row < 0 ? QString() : model->site(row).name;
}

void SitesDialog::updateButtons()
{
    const int row = selectedRow();
    const bool any = row >= 0;
    for (QPushButton* button : {ui->openHistory, ui->renameSite, ui->deleteSite, ui->saveReadDump, ui->setServiceDays})
        button->setEnabled(any);
    ui->serviceDays->setEnabled(any);
    ui->serviceDays->setValue(any ? model->overview(row).serviceDays : 0);
    // Joining needs another site to join with.
    ui->mergeSites->setEnabled(any && model->rowCount() > 1);
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

void SitesDialog::onMergeSites()
{
    const int fromRow = selectedRow();
    if (fromRow < 0 || !merge)
        return;
    const site_history::SiteInfo from = model->site(fromRow);
    QStringList others;
    for (int row = 0; row < model->rowCount(); ++row)
        if (row != fromRow)
            others << model->site(row).name;
    const int chosenRow = prompts.askChoice(tr("Объединить объект «%1» с объектом:").arg(from.name), others);
    if (chosenRow < 0 || chosenRow >= others.size())
        return;
    const site_history::SiteInfo into = model->site(model->rowOf(others[chosenRow]));
    if (!prompts.askYesNo(tr("Объединить объект «%1» (чтений: %2, событий: %3) с объектом «%4» (чтений: %5, "
                             "событий: %6)? История объекта «%1» войдёт в историю объекта «%4», а объект «%1» "
                             "будет удалён.")
                              .arg(from.name)
                              .arg(from.reads)
                              .arg(from.events)
                              .arg(into.name)
                              .arg(into.reads)
                              .arg(into.events)))
        return;
    const QString failure = changeAside(store.location(), [this, &from, &into](site_history::SiteHistory& aside) {
        merge(aside, from.name, into.name);
    });
    if (!failure.isEmpty())
        prompts.showCritical(failure);
    fillSites();
    selectSite(into.name);
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
        const QString fileName = prompts.askSaveName(
            SavedFile::Dump, datedName(site, reads[std::size_t(chosenRead)].readTime));
        if (fileName.isEmpty())
            return;
        memory_dump::saveDumpFile(fileName, store.readDump(reads[std::size_t(chosenRead)].id));
    } catch (const site_history::HistoryError& error) {
        prompts.showCritical(QString::fromUtf8(error.what()));
    } catch (const memory_dump::DumpError& error) {
        prompts.showCritical(QString::fromUtf8(error.what()));
    }
}

void SitesDialog::onSetServiceDays()
{
    const QString site = selectedSite();
    if (site.isEmpty())
        return;
    try {
        store.setServiceDays(site, ui->serviceDays->value());
    } catch (const site_history::HistoryError& error) {
        prompts.showCritical(QString::fromUtf8(error.what()));
        return;
    }
    fillSites();
}

void SitesDialog::onExportCsv()
{
    if (!prompts.askSaveName)
        return;
    const QString fileName = prompts.askSaveName(
        SavedFile::Csv, tr("Обзор объектов %1").arg(today.toString(QStringLiteral("yyyy-MM-dd"))));
    if (fileName.isEmpty())
        return;
    // What is shown, in the order shown, as the reader's --overview writes it.
    std::vector<site_statistics::SiteOverview> rows;
    for (int row = 0; row < shown->rowCount(); ++row)
        rows.push_back(model->overview(shown->mapToSource(shown->index(row, 0)).row()));
    const site_statistics::StatisticsTable table = site_statistics::overviewTableTexts(rows, today);
    writeSavedFile(prompts, fileName, false,
                   [&](QIODevice& device) { return archive_table::writeCsv(device, table.headers, table.rows); });
}
