#include <ClientWatch.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace quorvel_panel_sim {

ClientWatch::ClientWatch(const std::string& slavePath)
{
    // Opened before any reader comes, so the reader's exclusive mark does not
    // keep it out. This descriptor is never read from.
    fd = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
}

ClientWatch::~ClientWatch()
{
    if (fd >= 0)
        ::close(fd);
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
