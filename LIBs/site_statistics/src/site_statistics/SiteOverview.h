#pragma once

#include <site_statistics/StatisticsTable.h>

#include <QDate>
#include <QDateTime>
#include <QString>

#include <vector>

namespace site_statistics {

// A site as the overview of all sites shows it: its last read and what
// that read brought.
struct SiteOverview {
    QString name;
    QDateTime lastRead;     // UTC; invalid when the site holds no read
    int newEvents = 0;      // the events the last read saw first
    int newEmergencies = 0; // of them, those with the emergency flag
    // Device faults (class 1, with a device address) dated in the twelve
    // months before the last read, by the panel's clock in this computer's
    // time zone.
    int deviceFaults = 0;
    int serviceDays = 0; // the site's own service interval; 0: the program's
};

// A site is due for its service when its last read is older than its
// service interval: more whole days lie between the last read's date and
// `today` (both in this computer's time zone) than the interval allows. A
// site never read is due.
constexpr int defaultServiceDays = 31;
int daysSince(const QDateTime& lastRead, const QDate& today);
bool isDue(const SiteOverview& site, const QDate& today, int defaultDays = defaultServiceDays);

// The overview's table: the last read in this computer's time zone, the
// days since it to `today`, and "да" for a site that is due.
StatisticsTable overviewTableTexts(const std::vector<SiteOverview>& sites, const QDate& today);

} // namespace site_statistics
