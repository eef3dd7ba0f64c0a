#include <archive_table/DeviceDirectory.h>
#include <archive_table/EventCounts.h>
#include <archive_table/RowFilter.h>

#include <config_quorvel/Configuration.h>

#include <QtTest>

#include "TestRows.h"

using namespace archive_table;

namespace {

// Section 1 "Склад" with two devices, one of them named; rows of both, of the
// section itself and of a device the configuration does not know.
config_quorvel::Configuration sectionPanel()
{
    config_quorvel::Configuration c;
    c.pultType = true;
    config_quorvel::Section store;
    store.name = u"Склад";
    config_quorvel::Device gate;
    gate.address = 5;
    gate.names = std::make_shared<config_quorvel::DeviceNames>();
    gate.names->deviceName = u"Ворота";
    store.devices[5] = gate;
    config_quorvel::Device other;
    other.address = 6;
    store.devices[6] = other;
    c.sections[1] = store;
    return c;
}

const std::vector<ArchiveEvent> rows = {
    eventOf({"+", "2024/01/18 10:00:00", "1", "5", "1", "ПОЖАР", "Ворота"}),
    eventOf({"", "2024/01/18 10:01:00", "1", "5", "1", "НОРМА", "Ворота"}),
    eventOf({"+", "2024/01/18 10:02:00", "1", "5", "2", "ПОЖАР", "Ворота"}),
    eventOf({"", "2024/01/18 10:03:00", "1", "6", "1", "НОРМА", ""}),
    eventOf({"", "", "1", "", "", "СБРОС", "Склад"}),
    eventOf({"", "2024/01/19 00:00:00", "", "", "", "СБРОС", "Пульт"}),
    eventOf({"+", "2024/01/19 00:01:00", "2", "7", "1", "ПОЖАР", ""}),
};

} // namespace

class EventCountsTest : public QObject {
    Q_OBJECT

private slots:
    void countsByPlaceAndText()
    {
        const EventCounts counts = countEvents(rows);
        QCOMPARE(counts.all.events, 7);
        QCOMPARE(counts.all.emergencies, 3);
        QCOMPARE(counts.undated, 1);
        QCOMPARE(counts.byPlace.at(Place{1, 5}).events, 3);
        QCOMPARE(counts.byPlace.at(Place{1, 5}).emergencies, 2);
        QCOMPARE(counts.byPlace.at(Place{1, 0}).events, 1);
        QCOMPARE(counts.byPlace.at(Place{0, 0}).events, 1);

        const auto texts = counts.topEventTexts(2);
        QCOMPARE(int(texts.size()), 2);
        QCOMPARE(texts[0], std::make_pair(QStringLiteral("ПОЖАР"), 3));
        // Equal counts in text order: НОРМА before СБРОС.
        QCOMPARE(texts[1], std::make_pair(QStringLiteral("НОРМА"), 2));

        const auto devices = counts.topDevices(10);
        QCOMPARE(int(devices.size()), 3); // rows without an address are no device
        QVERIFY(devices[0].first == (Place{1, 5}));
        QVERIFY(devices[1].first == (Place{1, 6}));
        QVERIFY(devices[2].first == (Place{2, 7}));
    }

    void namesAndGroupsComeFromTheConfiguration()
    {
        const DeviceDirectory directory(sectionPanel());
        QVERIFY(directory.hasSections());
        QCOMPARE(directory.deviceName({1, 5}), QStringLiteral("Ворота"));
        // The panel's own default names: "Aдpec 1.6" spelt with Latin A, p, e, c.
        QCOMPARE(directory.deviceName({1, 6}), QString::fromStdU16String(u"\u0041\u0434\u0070\u0065\u0063 1.6"));
        QCOMPARE(directory.deviceName({2, 7}), QString::fromStdU16String(u"\u0041\u0434\u0070\u0065\u0063 2.7"));
        QCOMPARE(directory.groupOf({1, 5}), 1);
        QCOMPARE(directory.groupName(1), QStringLiteral("Склад"));
        QCOMPARE(directory.groupName(2), QStringLiteral("Секционный пульт 2"));
        QCOMPARE(int(directory.devices().size()), 2);

        config_quorvel::Configuration zones;
        config_quorvel::Device device;
        device.address = 3;
        device.zone = 4;
        zones.sections[0].devices[3] = device;
        const DeviceDirectory zoned(zones);
        QVERIFY(!zoned.hasSections());
        QCOMPARE(zoned.groupOf({0, 3}), 4);
        QCOMPARE(zoned.groupName(4), QStringLiteral("Зона 4"));
    }

    void placeChoicesKeepTheirRows()
    {
        const auto kept = [](const PlaceChoice& choice) {
            RowFilter filter;
            filter.setPlace(choice);
            QList<int> indices;
            for (int i = 0; i < int(rows.size()); ++i)
                if (filter.matches(rows[std::size_t(i)]))
                    indices << i;
            return indices;
        };
        PlaceChoice device;
        device.kind = PlaceChoice::Kind::Devices;
        device.devices = {{1, 5}};
        QCOMPARE(kept(device), (QList<int>{0, 1, 2}));
        PlaceChoice section;
        section.kind = PlaceChoice::Kind::Section;
        section.section = 1;
        QCOMPARE(kept(section), (QList<int>{0, 1, 2, 3, 4}));
        PlaceChoice none;
        none.kind = PlaceChoice::Kind::NoAddress;
        QCOMPARE(kept(none), (QList<int>{4, 5}));
        QCOMPARE(kept(PlaceChoice()), (QList<int>{0, 1, 2, 3, 4, 5, 6}));
    }

    void theFilterInWords()
    {
        RowFilter filter;
        QCOMPARE(filter.description(), QStringLiteral("все события"));
        filter.setText(QStringLiteral("склад"));
        filter.setEmergencyOnly(true);
        filter.setDateRange(QDate(2024, 1, 18), QDate(2024, 1, 20));
        PlaceChoice device;
        device.kind = PlaceChoice::Kind::Devices;
        device.devices = {{1, 5}};
        device.label = QStringLiteral("прибор 1.5 «Ворота»");
        filter.setPlace(device);
        QCOMPARE(filter.description(),
                 QStringLiteral("текст «склад», только экстренные, с 18.01.2024 по 20.01.2024, прибор 1.5 «Ворота»"));
        filter.setDateRange(QDate(), QDate(2024, 1, 20));
        QVERIFY(!filter.description().contains(QStringLiteral("с 18")));
    }
};

QTEST_APPLESS_MAIN(EventCountsTest)
#include "EventCountsTest.moc"
