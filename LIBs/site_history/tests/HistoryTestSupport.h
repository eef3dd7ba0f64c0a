#pragma once

#include <config_quorvel/ConfigQuorvel.h>
#include <memory_dump/DumpDecode.h>
#include <memory_dump/DumpFile.h>
#include <panel_builder/PanelBuilder.h>
#include <panel_sim/SimulatedPanel.h>
#include <rs485/testing/FakeSerialPlatform.h>

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <cstdint>
#include <stdexcept>

// The dump a read of the described panel gives at the given time.
inline memory_dump::MemoryDump readDump(const panel_sim::PanelDescription& panel, std::int64_t readTimeMs)
{
    rs485::testing::FakeSerialPlatform line;
    line.existingPorts = {"COM1"};
    panel_sim::SimulatedPanel simulated(line, panel_sim::buildPanel(panel));
    config_quorvel::ConfigQuorvel device(line);
    device.setTurbo(true);
    if (!device.openPort("COM1"))
        throw std::runtime_error("the fake line has no COM1");
    config_quorvel::Configuration configuration;
    device.readArchive(configuration, nullptr);
    return memory_dump::dumpOfRead(device, "COM1", readTimeMs, "test");
}

// A panel whose ring has taken `total` records since it was new, each a
// loop event of one device at its own minute, so that every record differs.
// The ring holds the latest 8192 of them.
inline panel_sim::PanelDescription ringPanel(int total, const std::u16string& deviceName = u"Bxoд")
{
    panel_sim::PanelDescription d;
    d.settings.pultType = false;
    panel_sim::ZoneDevice device;
    device.address = 3;
    device.zone = 2;
    panel_sim::NameSet names;
    names.deviceName = deviceName;
    names.loop1Name = deviceName + u" 1";
    device.names = names;
    d.zoneDevices = {device};
    const int first = total > panel_sim::archiveSlots ? total - panel_sim::archiveSlots : 0;
    for (int i = first; i < total; ++i) {
        panel_sim::ArchiveRecord r;
        r.eventClass = 2;
        r.address = 3;
        r.code = static_cast<std::uint8_t>(i % 8);
        r.emergency = i % 8 == 3;
        r.dateTime = panel_sim::packDateTime(2023 + i / (60 * 24 * 28 * 12), 1 + i / (60 * 24 * 28) % 12,
                                             1 + i / (60 * 24) % 28, i / 60 % 24, i % 60, 0);
        d.records.push_back(r);
    }
    d.firstRecordSlot = first % panel_sim::archiveSlots;
    return d;
}

// A panel for counting, read twice, the later read with two records more:
// events of device 3 and of the panel itself across a year's end with an
// empty December, one without a time and one with a date no calendar has.
inline panel_sim::PanelDescription statisticsPanel(bool later)
{
    panel_sim::PanelDescription d = ringPanel(0);
    const auto at = panel_sim::packDateTime;
    d.records = {
        {at(2023, 11, 5, 10, 0, 0), false, 0, 3, 1},  {at(2023, 11, 30, 23, 59, 59), true, 0, 3, 2},
        {at(2024, 1, 1, 0, 0, 0), false, 0, 0, 0},    {at(2024, 1, 31, 12, 0, 0), false, 0, 3, 4},
        {0, false, 0, 3, 1},
    };
    if (later)
        d.records.insert(d.records.end(), {{at(2024, 2, 30, 12, 0, 0), true, 0, 3, 1}, {at(2024, 2, 1, 8, 0, 0), false, 0, 3, 7}});
    return d;
}

// Dump files in `dir` of one panel read `count` times an hour apart, its
// ring moving on by `step` records a read.
inline QStringList writeRingDumps(const QTemporaryDir& dir, int count, int step = 300)
{
    QStringList files;
    for (int i = 0; i < count; ++i) {
        const QString file = dir.filePath(QStringLiteral("read%1.qrvdump").arg(i));
        memory_dump::saveDumpFile(file, readDump(ringPanel(8192 + step * i), 1'700'000'000'000 + 3'600'000LL * i));
        files << file;
    }
    return files;
}

// The files SQLite makes beside a store: a journal while a change is
// written, a log and its index while a log's database is in use.
inline QStringList filesBeside(const QString& path)
{
    QStringList present;
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        if (QFile::exists(path + suffix))
            present << path + suffix;
    return present;
}

// Damages a store as a flipped bit in a page can: an inner page of the
// table of events forgets its last child but one, so that walking the
// table skips those events without an error. Throws when the table has no
// inner page with two children or more.
inline void loseEventsSilently(const QString& path)
{
    int root = 0;
    int pageSize = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'events'")) && query.next())
                root = query.value(0).toInt();
            if (query.exec(QStringLiteral("PRAGMA page_size")) && query.next())
                pageSize = query.value(0).toInt();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("damage"));
    QFile file(path);
    if (root < 2 || pageSize == 0 || !file.open(QIODevice::ReadWrite))
        throw std::runtime_error("no table of events in " + path.toStdString());
    const auto number = [](const QByteArray& bytes, int at, int size) {
        std::uint32_t value = 0;
        for (int i = at; i < at + size; ++i)
            value = (value << 8) | std::uint8_t(bytes[i]);
        return value;
    };
    // A b-tree page's header: its kind (2: an inner page of an index
    // b-tree, which a table WITHOUT ROWID is), its count of cells at 3, the
    // page of its right-most child at 8.
    for (std::uint32_t page = std::uint32_t(root);;) {
        const qint64 at = qint64(page - 1) * pageSize;
        file.seek(at);
        QByteArray header = file.read(12);
        if (header.at(0) != char(2))
            throw std::runtime_error("the table of events has no inner page of two cells");
        const std::uint32_t cells = number(header, 3, 2);
        if (cells >= 2) {
            header[3] = char((cells - 1) >> 8);
            header[4] = char((cells - 1) & 0xFF);
            file.seek(at);
            file.write(header);
            return;
        }
        page = number(header, 8, 4);
    }
}
