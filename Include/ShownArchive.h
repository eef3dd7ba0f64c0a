#pragma once

#include <archive_table/ArchiveEvent.h>
#include <archive_table/TableSource.h>
#include <config_quorvel/Configuration.h>
#include <memory_dump/MemoryDump.h>

#include <QString>

#include <optional>
#include <vector>

// What the window shows, beside its events: where they come from, the
// panel's settings that name its devices, and the memory behind them when
// it was read or opened whole, to be saved or recorded again.
struct ShownArchive {
    archive_table::TableSource source;
    config_quorvel::Configuration configuration;
    std::optional<memory_dump::MemoryDump> dump;

    bool isEmpty() const { return source.kind == archive_table::TableSource::Kind::None; }
    // Only a read or a dump of one panel decodes its settings.
    bool hasPanelDetails() const
    {
        using Kind = archive_table::TableSource::Kind;
        return source.kind == Kind::Read || source.kind == Kind::Dump;
    }
};

// What the window is about to show: the archive, its events as the table
// takes them (a history's in the store's order, a read's as listed), and
// the outcome for the status bar.
struct ArchiveToShow {
    ShownArchive archive;
    std::vector<archive_table::ArchiveEvent> events;
    QString outcome;
};

// A dump file as a read of that panel would show it, checked and decoded
// in full; nothing when it cannot be used, with the reason in `error`.
std::optional<ArchiveToShow> dumpArchive(const QString& fileName, QString& error);
