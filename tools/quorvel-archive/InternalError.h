#pragma once

#include <functional>

namespace quorvel_archive {

// Runs the program's work and returns its exit status. An exception that
// nothing on the way caught is a fault of the program itself, not of the
// panel, the files or the store: it is reported as one, with
// ExitCode::InternalError, so that a script never takes it for a failed read.
int reportingInternalErrors(const std::function<int()>& work);

} // namespace quorvel_archive
