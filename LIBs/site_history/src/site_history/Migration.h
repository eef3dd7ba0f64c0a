#pragma once

#include <QString>

#include <functional>

namespace site_history {

class StoreConnection;

// Takes the store from `version` to this program's version in one
// transaction, a step for each version between. `currentVersion` reads the
// version again inside the transaction (another program may have made or
// migrated the store meanwhile); `beforeMaking` runs first in it.
void migrate(const StoreConnection& connection, int version, const std::function<int()>& currentVersion,
             const std::function<void()>& beforeMaking = [] {});

// Refuses a store of a newer program, naming both versions.
[[noreturn]] void refuseNewerVersion(int version, const QString& location);

} // namespace site_history
