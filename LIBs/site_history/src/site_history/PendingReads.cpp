#include <site_history/PendingReads.h>

#include <config_quorvel/ConfiguratorError.h>
#include <memory_dump/DumpError.h>
#include <memory_dump/DumpFile.h>
#include <memory_dump/DumpFormat.h>

#include <QCryptographicHash>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace site_history {

namespace {

using Fault = HistoryError::Fault;

const QString noteSuffix = QStringLiteral(".pending");

[[noreturn]] void cannotKeep(const QString& what)
{
    throw HistoryError(Fault::CannotWrite, "Невозможно отложить чтение: " + what.toStdString());
}

} // namespace

QString PendingReads::defaultFolder()
{
    const QString chosen = qEnvironmentVariable("QUORVEL_PENDING_DIR");
    if (!chosen.isEmpty())
        return chosen;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Quorvel/pending"));
}

PendingReads::PendingReads(QString folder) : where(std::move(folder)) {}

void PendingReads::keep(const QString& store, const QString& site, const memory_dump::MemoryDump& dump)
{
    if (!QDir().mkpath(where))
        cannotKeep(QStringLiteral("нет папки ") + where);
    const std::vector<std::uint8_t> bytes = memory_dump::serializeDump(dump);
    QCryptographicHash name(QCryptographicHash::Sha256);
    name.addData((store + QLatin1Char('\n') + site + QLatin1Char('\n')).toUtf8());
    name.addData(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
    const QString base = QDir(where).filePath(QString::fromLatin1(name.result().toHex().left(32)));
    try {
        memory_dump::saveDumpFile(base + QLatin1Char('.') + QLatin1String(memory_dump::dumpExtension), dump);
    } catch (const memory_dump::DumpError& error) {
        cannotKeep(QString::fromUtf8(error.what()));
    }
    // The note last: a read without one is not waiting.
    QSaveFile note(base + noteSuffix);
    const QByteArray text = QJsonDocument(QJsonObject{{QStringLiteral("store"), store}, {QStringLiteral("site"), site}})
                                .toJson();
    if (!note.open(QIODevice::WriteOnly) || note.write(text) != text.size() || !note.commit())
        cannotKeep(note.fileName() + QStringLiteral(" — ") + note.errorString());
}

std::vector<PendingReads::Pending> PendingReads::waiting(const QString& store) const
{
    std::vector<Pending> reads;
    const QDir dir(where);
    for (const QString& name : dir.entryList({QLatin1Char('*') + noteSuffix}, QDir::Files)) {
        QFile note(dir.filePath(name));
        if (!note.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject fields = QJsonDocument::fromJson(note.readAll()).object();
        if (fields.value(QStringLiteral("store")).toString() != store)
            continue;
        Pending read;
        read.dumpFile = dir.filePath(name.chopped(noteSuffix.size()) + QLatin1Char('.')
                                     + QLatin1String(memory_dump::dumpExtension));
        read.store = store;
        read.site = fields.value(QStringLiteral("site")).toString();
        if (!QFile::exists(read.dumpFile))
            continue;
        try {
            read.readTime = QDateTime::fromMSecsSinceEpoch(memory_dump::loadDumpFile(read.dumpFile).readTimeMs, Qt::UTC);
        } catch (const memory_dump::DumpError&) {
            // Listed all the same: sending says what is wrong with it.
        }
        reads.push_back(read);
    }
    std::stable_sort(reads.begin(), reads.end(), [](const Pending& a, const Pending& b) { return a.readTime < b.readTime; });
    return reads;
}

void PendingReads::sendTo(SiteHistory& store, const std::function<void(const Sent&)>& each)
{
    for (const Pending& read : waiting(store.location())) {
        Sent one;
        one.read = read;
        try {
            const memory_dump::MemoryDump dump = memory_dump::loadDumpFile(read.dumpFile);
            one.site = read.site;
            if (one.site.isEmpty()) {
                const SiteMatch match = store.matchSite(dump);
                if (match.kind == SiteMatch::Kind::One)
                    one.site = match.site;
                else
                    one.problem = match.kind == SiteMatch::Kind::None ? "объект не найден в истории"
                                                                      : "чтение подходит к нескольким объектам истории";
            }
            if (!one.site.isEmpty()) {
                one.outcome = store.record(one.site, dump);
                one.recorded = true;
            }
        } catch (const memory_dump::DumpError& error) {
            one.problem = error.what();
            one.unusable = true;
        } catch (const config_quorvel::ConfiguratorError& error) {
            one.problem = error.what();
            one.unusable = true;
        }
        if (one.recorded) {
            QFile::remove(read.dumpFile.chopped(int(qstrlen(memory_dump::dumpExtension)) + 1) + noteSuffix);
            QFile::remove(read.dumpFile);
        }
        each(one);
    }
}

} // namespace site_history
