#include <ClientWatch.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace quorvel_panel_sim {

ClientWatch::ClientWatch(const std::string& slavePath)
{
    // Opened before any reader comes, so the reader's exclusive mark does not
    // keep it out. This descriptor is never read from.
    fd = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    // Without inotify the caller's poll period is all the notice there is.
    closeEvents = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (closeEvents >= 0
        && ::inotify_add_watch(closeEvents, slavePath.c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        ::close(closeEvents);
        closeEvents = -1;
    }
}

ClientWatch::~ClientWatch()
{
    if (fd >= 0)
        ::close(fd);
    if (closeEvents >= 0)
        ::close(closeEvents);
}

void ClientWatch::waitForClose(int timeoutMs)
{
    if (closeEvents < 0) {
        ::poll(nullptr, 0, timeoutMs);
        return;
    }
    pollfd events = {closeEvents, POLLIN, 0};
    if (::poll(&events, 1, timeoutMs) > 0) {
        char drain[4096];
        while (::read(closeEvents, drain, sizeof drain) > 0) {
        }
        // The kernel reports the close before it drops the closing file's
        // lock, so the lock may outlast the event by a moment. A reader that
        // still holds it after a while is another one, and stays.
        for (int i = 0; i < 25 && clientPresent(); ++i)
            ::poll(nullptr, 0, 2);
    }
}

bool ClientWatch::clientPresent()
{
    if (fd < 0)
        return false;
    int exclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) != 0 || exclusive == 0)
        return false;
    // A reader that died without closing its port leaves the mark behind but
    // not its lock. Then the mark goes too, or it would turn every later
    // reader away. (The probe holds the lock only for an instant, and only
    // while the mark keeps ordinary openers out.)
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return true;
    ::flock(fd, LOCK_UN);
    ::ioctl(fd, TIOCNXCL);
    return false;
}

} // namespace quorvel_panel_sim
