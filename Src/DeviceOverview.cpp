#include <DeviceOverview.h>

#include "ui_DeviceOverview.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <QTreeWidgetItem>

#include <set>

namespace {

constexpr int nameColumn = 0;
constexpr int eventsColumn = 1;
constexpr int emergenciesColumn = 2;
constexpr int keyRole = Qt::UserRole;

void add(archive_table::Tally& sum, const archive_table::Tally& tally)
{
    sum.events += tally.events;
    sum.emergencies += tally.emergencies;
}

// A line of the tree. The name column sorts in the panel's order (sections,
// then addresses), the count columns by number; the line of rows without an
// address stays on top whichever way the tree is sorted.
class OverviewItem : public QTreeWidgetItem {
public:
    OverviewItem(int order, bool pinned) : order(order), pinned(pinned) {}

    bool operator<(const QTreeWidgetItem& otherItem) const override
    {
        const auto& other = static_cast<const OverviewItem&>(otherItem);
        const QTreeWidget* tree = treeWidget();
        const bool ascending = !tree || tree->header()->sortIndicatorOrder() == Qt::AscendingOrder;
        if (pinned != other.pinned)
            return pinned == ascending;
        const int column = tree ? tree->sortColumn() : nameColumn;
        if (column != nameColumn) {
            const int mine = data(column, Qt::DisplayRole).toInt();
            const int theirs = other.data(column, Qt::DisplayRole).toInt();
            if (mine != theirs)
                return mine < theirs;
        }
        return order < other.order;
    }

private:
    int order;
    bool pinned;
};

QString lowerFirst(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

} // namespace

struct DeviceOverview::Line {
    QString key;
    QString parentKey; // empty on the top level
    QString text;
    archive_table::Tally tally;
    archive_table::PlaceChoice choice;
    bool pinned = false;
};

DeviceOverview::DeviceOverview(QWidget* parent) : QDockWidget(parent), ui(new Ui::DeviceOverview)
{
    ui->setupUi(this);
    QHeaderView* header = ui->deviceTree->header();
    header->setSectionResizeMode(nameColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(eventsColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(emergenciesColumn, QHeaderView::ResizeToContents);
    ui->deviceTree->sortByColumn(nameColumn, Qt::AscendingOrder);
    // Wide enough for a device's name beside its two counts, also when the
    // window grows after the dock was placed.
    ui->deviceTree->setMinimumWidth(220);
    connect(ui->deviceTree, &QTreeWidget::itemSelectionChanged, this, &DeviceOverview::onSelectionChanged);
}

DeviceOverview::~DeviceOverview()
{
    delete ui;
}

void DeviceOverview::setDirectory(const archive_table::DeviceDirectory& newDirectory)
{
    directory = newDirectory;
    const QSignalBlocker blocker(ui->deviceTree);
    ui->deviceTree->clear();
    items.clear();
    choices.clear();
    places.clear();
    sections.clear();
    for (const archive_table::Place& place : directory.devices())
        places.insert(place);
}

std::vector<DeviceOverview::Line> DeviceOverview::linesFor(const archive_table::EventCounts& counts) const
{
    using archive_table::Place;
    using archive_table::PlaceChoice;
    std::vector<Line> lines;

    Line none;
    none.key = QStringLiteral("none");
    none.text = tr("Без адреса");
    none.pinned = true;
    none.choice.kind = PlaceChoice::Kind::NoAddress;
    none.choice.label = tr("без адреса");
    for (const auto& [place, tally] : counts.byPlace)
        if (place.address == 0)
            add(none.tally, tally);
    lines.push_back(none);

    const bool sections = directory.hasSections();
    std::map<int, std::vector<Place>> groups;
    for (int section : this->sections)
        groups[section]; // a section whose own events are all it has
    for (const Place& place : places)
        groups[directory.groupOf(place)].push_back(place);

    const auto tallyOf = [&](const Place& place) {
        const auto found = counts.byPlace.find(place);
        return found != counts.byPlace.end() ? found->second : archive_table::Tally();
    };
    for (const auto& [group, places] : groups) {
        Line line;
        line.key = QStringLiteral("g%1").arg(group);
        if (sections && group != 0) {
            // A section's counts take its own events (its panel's resets and
            // faults) as well as its devices', as the section's filter does.
            line.text = QStringLiteral("%1: %2").arg(group).arg(directory.groupName(group));
            line.choice.kind = PlaceChoice::Kind::Section;
            line.choice.section = group;
            line.choice.label = tr("секция %1 «%2»").arg(group).arg(directory.groupName(group));
            for (const auto& [place, tally] : counts.byPlace)
                if (place.section == group)
                    add(line.tally, tally);
        } else {
            // Devices on the central panel itself, or those the
            // configuration has no zone for.
            line.text = group != 0 ? directory.groupName(group) : sections ? tr("Пульт") : tr("Прочие приборы");
            line.choice.kind = PlaceChoice::Kind::Devices;
            line.choice.devices = places;
            line.choice.label = lowerFirst(line.text);
            for (const Place& place : places)
                add(line.tally, tallyOf(place));
        }
        lines.push_back(line);
        for (const Place& place : places) {
            Line device;
            device.key = QStringLiteral("d%1.%2").arg(place.section).arg(place.address);
            device.parentKey = line.key;
            const QString name = directory.deviceName(place);
            device.text = QStringLiteral("%1: %2").arg(place.address).arg(name);
            device.tally = tallyOf(place);
            device.choice.kind = PlaceChoice::Kind::Devices;
            device.choice.devices = {place};
            device.choice.label = sections && place.section != 0
                ? tr("прибор %1.%2 «%3»").arg(place.section).arg(place.address).arg(name)
                : tr("прибор %1 «%2»").arg(place.address).arg(name);
            lines.push_back(device);
        }
    }
    return lines;
}

void DeviceOverview::showCounts(const archive_table::EventCounts& counts)
{
    for (const auto& [place, tally] : counts.byPlace) {
        if (place.address != 0)
            places.insert(place);
        else if (directory.hasSections() && place.section != 0)
            sections.insert(place.section);
    }
    // Columns sized to their contents measure every line at each change of
    // one: they are sized once, after every line has its counts.
    QHeaderView* header = ui->deviceTree->header();
    for (const int column : {eventsColumn, emergenciesColumn})
        header->setSectionResizeMode(column, QHeaderView::Interactive);
    for (const Line& line : linesFor(counts)) {
        const auto found = items.find(line.key);
        QTreeWidgetItem* item = found != items.end() ? found->second : addItem(line);
        item->setData(eventsColumn, Qt::DisplayRole, line.tally.events);
        item->setData(emergenciesColumn, Qt::DisplayRole, line.tally.emergencies);
        // A zone's choice lists its devices, which may have grown.
        choices[line.key] = line.choice;
    }
    for (const int column : {eventsColumn, emergenciesColumn})
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
}

QTreeWidgetItem* DeviceOverview::addItem(const Line& line)
{
    // Lines come in their natural order, so a group is there before its
    // devices; only ever adding keeps the item under a click alive while
    // the choice it makes refills the counts.
    auto* item = new OverviewItem(int(items.size()), line.pinned);
    item->setText(nameColumn, line.text);
    item->setData(nameColumn, keyRole, line.key);
    item->setTextAlignment(eventsColumn, Qt::AlignRight | Qt::AlignVCenter);
    item->setTextAlignment(emergenciesColumn, Qt::AlignRight | Qt::AlignVCenter);
    if (line.parentKey.isEmpty()) {
        ui->deviceTree->addTopLevelItem(item);
    } else {
        QTreeWidgetItem* group = items.at(line.parentKey);
        group->addChild(item);
        group->setExpanded(true);
    }
    items[line.key] = item;
    return item;
}

void DeviceOverview::clearChoice()
{
    const QSignalBlocker blocker(ui->deviceTree);
    ui->deviceTree->clearSelection();
}

void DeviceOverview::onSelectionChanged()
{
    const QTreeWidgetItem* item = ui->deviceTree->selectedItems().value(0);
    if (!item)
        return;
    emit placeChosen(choices.at(item->data(nameColumn, keyRole).toString()));
}
