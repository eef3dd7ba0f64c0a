#pragma once

#include <stdexcept>
#include <string>

namespace site_history {

// A store that cannot be used, or a change it refuses. what() is the
// message for the user.
class HistoryError : public std::runtime_error {
public:
    enum class Fault {
        CannotOpen,   // no such folder, no access, a network folder, the server refuses
        NotAStore,    // a file of something else
        NewerVersion, // made by a newer program
        Damaged,      // the database itself is damaged
        CannotWrite,  // a change failed and was rolled back
        NoRight,      // the server's role may not read or change the store
        NoSuchSite,
        BadSiteName,  // a new site's name breaks the rule of SiteName.h
        SiteExists,
    };

    HistoryError(Fault fault, const std::string& message) : std::runtime_error(message), faultKind(fault) {}

    Fault fault() const noexcept { return faultKind; }

private:
    Fault faultKind;
};

} // namespace site_history
