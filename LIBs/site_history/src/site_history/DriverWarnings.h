#pragma once

#include <QtGlobal>

namespace site_history {

// While it lives, keeps Qt SQL's warnings about a connection that has
// failed off standard error: a statement the driver could not free on the
// server ("Unable to free statement: …"; the server frees it itself when
// the connection ends) and a query on a connection that is gone. The store
// says what failed in its own HistoryError. Every other message passes to
// the handler installed before. One at a time, in a program's main.
class QuietDriverWarnings {
public:
    QuietDriverWarnings();
    ~QuietDriverWarnings();

    QuietDriverWarnings(const QuietDriverWarnings&) = delete;
    QuietDriverWarnings& operator=(const QuietDriverWarnings&) = delete;
};

} // namespace site_history
