#include <InternalError.h>

#include <ConsoleText.h>
#include <ExitCode.h>

#include <exception>
#include <string>

namespace quorvel_archive {

namespace {

const char internalErrorText[] = "Внутренняя ошибка программы quorvel-archive";

} // namespace

int reportingInternalErrors(const std::function<int()>& work)
{
    try {
        return work();
    } catch (const std::exception& error) {
        printError(std::string(internalErrorText) + ": " + error.what());
    } catch (...) {
        printError(internalErrorText);
    }
    return ExitCode::InternalError;
}

} // namespace quorvel_archive
