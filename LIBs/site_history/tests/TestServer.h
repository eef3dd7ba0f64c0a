#pragma once

// The PostgreSQL server of the tests, started by scripts/postgres-test-server
// for the run and named by QUORVEL_TEST_POSTGRES (the file that script
// writes). Each test makes databases of its own on it.

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <atomic>
#include <map>
#include <optional>
#include <stdexcept>

class TestServer {
public:
    // The server of this run, or none when the tests run without one.
    static const TestServer* get()
    {
        static const std::optional<TestServer> server = find();
        return server ? &*server : nullptr;
    }

    // A new empty database; its URI for the given role (the server's
    // administrator by default).
    QString newDatabase(const QString& user = QString()) const
    {
        static std::atomic<int> counter{0};
        const QString name = QStringLiteral("test_%1_%2").arg(QCoreApplication::applicationPid()).arg(counter++);
        admin(QStringLiteral("postgres"), {QStringLiteral("CREATE DATABASE ") + name});
        return uri(name, user);
    }

    // The socket may be reached through another folder: a link to the
    // server's, which a test can point elsewhere to make the server vanish.
    QString uri(const QString& database, const QString& user = QString(), const QString& folder = QString()) const
    {
        return QStringLiteral("postgresql://%1@/%2?host=%3&port=%4")
            .arg(user.isEmpty() ? adminRole : user, database,
                 QString::fromUtf8(QUrl::toPercentEncoding(folder.isEmpty() ? socketFolder : folder)), port);
    }

    static QString databaseOf(const QString& uri) { return QUrl(uri).path().mid(1); }

    // Runs statements as the administrator; throws on the first failure.
    void admin(const QString& database, const QStringList& statements) const
    {
        const QString connection = QStringLiteral("test_admin");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
            db.setConnectOptions(
                QStringLiteral("host=%1 port=%2 user=%3 dbname=%4").arg(socketFolder, port, adminRole, database));
            QString failure;
            if (!db.open())
                failure = db.lastError().text();
            for (const QString& statement : statements) {
                if (!failure.isEmpty())
                    break;
                QSqlQuery query(db);
                if (!query.exec(statement))
                    failure = statement + QStringLiteral(": ") + query.lastError().text();
            }
            db.close();
            if (!failure.isEmpty()) {
                QSqlDatabase::removeDatabase(connection);
                throw std::runtime_error(failure.toStdString());
            }
        }
        QSqlDatabase::removeDatabase(connection);
    }

    QString socketFolder;
    QString port;
    QString tcpPort;
    QString adminRole;
    QString passwordFile;
    QString password; // every role's, as the password file has it

private:
    static std::optional<TestServer> find()
    {
        const QString file = qEnvironmentVariable("QUORVEL_TEST_POSTGRES");
        if (file.isEmpty())
            return std::nullopt;
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            throw std::runtime_error("QUORVEL_TEST_POSTGRES names no server: " + file.toStdString());
        std::map<QString, QString> values;
        for (const QByteArray& line : f.readAll().split('\n'))
            if (const int at = line.indexOf('='); at > 0)
                values[QString::fromUtf8(line.left(at))] = QString::fromUtf8(line.mid(at + 1));
        TestServer server;
        server.socketFolder = values["QUORVEL_PG_HOST"];
        server.port = values["QUORVEL_PG_PORT"];
        server.tcpPort = values["QUORVEL_PG_TCP_PORT"];
        server.adminRole = values["QUORVEL_PG_USER"];
        server.passwordFile = values["QUORVEL_PG_PASSFILE"];
        QFile passwords(server.passwordFile);
        if (passwords.open(QIODevice::ReadOnly))
            server.password = QString::fromUtf8(passwords.readAll().trimmed()).section(QLatin1Char(':'), 4);
        // libpq's own way to the passwords, as a user's program has it.
        qputenv("PGPASSFILE", server.passwordFile.toLocal8Bit());
        return server;
    }
};
