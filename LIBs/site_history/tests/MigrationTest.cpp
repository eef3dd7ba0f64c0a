// A store of version 1, made by the program that wrote that version
// (version1/), opened by this one: migrated in place, it shows every
// site's history as that program showed it, and its events as typed columns.

#include "EachStore.h"

#include <site_history/Schema.h>
#include <site_history/SiteHistory.h>

#include <archive_table/EventRows.h>
#include <archive_table/TextExport.h>

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using site_history::SiteHistory;

namespace {

QString fixture(const QString& name)
{
    return QStringLiteral(QUORVEL_VERSION1_STORE).section(QLatin1Char('/'), 0, -2) + QLatin1Char('/') + name;
}

QByteArray fixtureText(const QString& name)
{
    QFile file(fixture(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs body with a connection of the test's own to the store: the file, or
// the store's schema on the server. Throws when it cannot connect.
void onStore(const QString& location, const std::function<void(QSqlDatabase&)>& body)
{
    const QString name = QStringLiteral("migration_test");
    {
        const bool server = location.startsWith(QLatin1String("postgresql:"));
        QSqlDatabase db = QSqlDatabase::addDatabase(server ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), name);
        if (server) {
            const TestServer& s = *TestServer::get();
            db.setConnectOptions(QStringLiteral("host=%1 port=%2 user=%3 dbname=%4")
                                     .arg(s.socketFolder, s.port, s.adminRole, TestServer::databaseOf(location)));
        } else {
            db.setDatabaseName(location);
        }
        if (!db.open())
            throw std::runtime_error(db.lastError().text().toStdString());
        if (server)
            QSqlQuery(db).exec(QStringLiteral("SET search_path TO quorvel"));
        body(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// The rows of a query, each as its values joined by '|'.
QStringList rowsOf(const QString& location, const QString& statement)
{
    QStringList rows;
    onStore(location, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(statement))
            throw std::runtime_error(query.lastError().text().toStdString());
        while (query.next()) {
            QStringList values;
            for (int i = 0; i < query.record().count(); ++i)
                values << query.value(i).toString();
            rows << values.join(QLatin1Char('|'));
        }
    });
    return rows;
}

// The version-1 store on the server, as that program made it there: its
// steps, then the fixture's rows copied table by table. The fixture is read
// from a copy in `folder`: a database in write-ahead-log mode gets files
// beside it even when it is only read.
void makeVersion1OnServer(const QString& uri, const QTemporaryDir& folder)
{
    QStringList statements{QStringLiteral("CREATE SCHEMA quorvel"), QStringLiteral("SET search_path TO quorvel")};
    for (const site_history::StepAction& action : site_history::schemaStep(0, site_history::Dialect::Postgres))
        statements << action.statement;
    for (const QString& statement : site_history::versionSteps(1, site_history::Dialect::Postgres))
        statements << statement;
    TestServer::get()->admin(TestServer::databaseOf(uri), statements);

    QSqlDatabase from = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("version1"));
    const QString copy = folder.filePath(QStringLiteral("version1.sqlite"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUORVEL_VERSION1_STORE), copy));
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    from.setDatabaseName(copy);
    ASSERT_TRUE(from.open());
    onStore(uri, [&](QSqlDatabase& to) {
        for (const char* table : {"sites", "reads", "events"}) {
            QSqlQuery rows(from);
            ASSERT_TRUE(rows.exec(QStringLiteral("SELECT * FROM %1").arg(QLatin1String(table))));
            while (rows.next()) {
                const QSqlRecord record = rows.record();
                QStringList columns;
                for (int i = 0; i < record.count(); ++i)
                    columns << record.fieldName(i);
                QSqlQuery insert(to);
                insert.prepare(QStringLiteral("INSERT INTO %1 (%2) OVERRIDING SYSTEM VALUE VALUES (%3)")
                                   .arg(QLatin1String(table), columns.join(QLatin1Char(',')),
                                        QStringLiteral("?,").repeated(columns.size()).chopped(1)));
                for (int i = 0; i < record.count(); ++i)
                    insert.addBindValue(record.value(i));
                ASSERT_TRUE(insert.exec()) << insert.lastError().text().toStdString();
            }
        }
        for (const char* table : {"sites", "reads"})
            QSqlQuery(to).exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('quorvel.%1', 'id'), MAX(id)) FROM %1")
                                   .arg(QLatin1String(table)));
    });
    from.close();
    from = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("version1"));
}

class MigrationTest : public EachStore {
protected:
    // The fixture as a store of this test's kind.
    QString version1Store()
    {
        if (GetParam() == StoreKind::Server) {
            const QString uri = newStore();
            makeVersion1OnServer(uri, dir);
            return uri;
        }
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        EXPECT_TRUE(QFile::copy(QStringLiteral(QUORVEL_VERSION1_STORE), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }
};

} // namespace

QUORVEL_FOR_EACH_STORE(MigrationTest);

TEST_P(MigrationTest, AVersion1StoreShowsWhatItShowedAndKeepsRecording)
{
    const QString location = version1Store();
    SiteHistory store(location);

    QStringList listed;
    for (const site_history::SiteInfo& site : store.sites())
        listed << QStringLiteral("%1\t%2\t%3\t%4")
                      .arg(site.name)
                      .arg(site.reads)
                      .arg(site.events)
                      .arg(site.lastRead.toString(Qt::ISODate));
    EXPECT_EQ(listed.join(QLatin1Char('\n')) + QLatin1Char('\n'), QString::fromUtf8(fixtureText("sites.txt")));
    for (const auto& [site, golden] : {std::pair{"Главный корпус", "main-building.txt"}, std::pair{"Склад", "warehouse.txt"},
                                       std::pair{"Гараж", "garage.txt"}}) {
        SCOPED_TRACE(site);
        const auto table = store.table(QString::fromUtf8(site));
        EXPECT_EQ(archive_table::exportText(archive_table::columnHeaders(), archive_table::rowTexts(table.events)).toStdString(),
                  fixtureText(QString::fromLatin1(golden)).toStdString());
    }

    // The fields of the garage's events, as its table shows them: the time
    // as YYYYMMDDhhmmss and its kind (0 none, 1 a calendar's, 2 impossible),
    // emergency, class, code, section, device address, loop.
    EXPECT_EQ(rowsOf(location, QStringLiteral(
                  "SELECT e.panel_time, e.time_kind, e.emergency, e.event_class, e.code, e.section, e.device_address,"
                  " e.loop, t.text FROM events e JOIN sites s ON s.id = e.site_id JOIN texts t ON t.id = e.event_text_id"
                  " WHERE s.name = 'Гараж' ORDER BY e.panel_time, e.code")),
              QStringList({"0|0|0|2|1|0|3|1|HEИCПPABH.", "0|0|0|2|6|0|3|1|OTKЛЮЧЁH", "0|0|0|2|7|0|3|1|CPAБOTAЛ",
                           "20240005100000|2|1|2|3|2|3|1|ПOЖAP", "20240231240000|2|0|1|4|1|0|0|ОШИБКА CRC (Плохая связь)",
                           "20240301083015|1|1|2|3|0|3|1|ПOЖAP", "20240301083015|1|0|2|5|0|3|1|BKЛЮЧEHИE"}));
    // A month's events of each class, counted by the store itself.
    EXPECT_EQ(rowsOf(location, QStringLiteral("SELECT panel_time / 100000000, event_class, COUNT(*) FROM events"
                                              " WHERE site_id = (SELECT id FROM sites WHERE name = 'Гараж')"
                                              " GROUP BY panel_time / 100000000, event_class ORDER BY 1, 2")),
              QStringList({"0|2|3", "202400|2|1", "202402|1|1", "202403|2|2"}));

    // It goes on as a store of this version: a read of the warehouse 50
    // records on adds those 50, and the table still counts right.
    const auto recorded = store.record(QStringLiteral("Склад"), readDump(ringPanel(160, u"Bыxoд"), 1'700'172'800'000));
    EXPECT_EQ(recorded.newEvents, 50);
    EXPECT_EQ(store.table(QStringLiteral("Склад")).events.size(), 160u);
    EXPECT_TRUE(store.check().sound) << store.check().text.toStdString();
}
