#include <panel_sim/PtyPanelServer.h>

#include <panel_sim/CommandFramer.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace panel_sim {

namespace {

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

bool writeAllBytes(int fd, const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

PtyPanelServer::PtyPanelServer(PanelMemory memory) : panelLoader(std::move(memory)) {}

PtyPanelServer::~PtyPanelServer()
{
    stop();
}

bool PtyPanelServer::start()
{
    if (worker.joinable())
        return false;
    char name[256] = {};
    if (::openpty(&masterFd, &slaveFd, name, nullptr, nullptr) != 0)
        return false;
    // Raw from the start: an echoing line discipline would send the
    // answers straight back to the loader before the client sets the port up.
    termios tio{};
    if (::tcgetattr(slaveFd, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slaveFd, TCSANOW, &tio);
    }
    // The server keeps its own slave descriptor open so that the master
    // does not see a hang-up between two clients.
    ::fcntl(masterFd, F_SETFD, FD_CLOEXEC);
    ::fcntl(slaveFd, F_SETFD, FD_CLOEXEC);
    if (::pipe2(wakePipe, O_CLOEXEC) != 0) {
        closeFd(masterFd);
        closeFd(slaveFd);
        return false;
    }
    slaveName = name;
    lineDead = false;
    serving = true;
    worker = std::thread([this] { serve(); });
    return true;
}

void PtyPanelServer::stop()
{
    if (worker.joinable()) {
        const char wake = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakePipe[1], &wake, 1);
        worker.join();
    }
    serving = false;
    closeFd(masterFd);
    closeFd(slaveFd);
    closeFd(wakePipe[0]);
    closeFd(wakePipe[1]);
}

void PtyPanelServer::hangUp()
{
    // Closing every descriptor of the pair leaves the client's side hung up.
    lineDead = true;
    closeFd(masterFd);
    closeFd(slaveFd);
}

void PtyPanelServer::serve()
{
    CommandFramer framer(CommandFramer::Mode::CodeByte);
    std::uint8_t buffer[4096];
    while (masterFd >= 0) {
        pollfd fds[2] = {{masterFd, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents != 0)
            break;
        if ((fds[0].revents & (POLLERR | POLLNVAL)) != 0)
            break;
        if ((fds[0].revents & POLLIN) == 0) {
            // A hang-up from the slave side without data: wait for more
            // rather than spin.
            pollfd wake = {wakePipe[0], POLLIN, 0};
            if (::poll(&wake, 1, 10) > 0)
                break;
            continue;
        }
        const ssize_t n = ::read(masterFd, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break;
        for (ssize_t i = 0; i < n && masterFd >= 0; ++i) {
            const std::optional<CommandFramer::Frame> frame = framer.feed(buffer[i]);
            if (!frame)
                continue;
            const LoaderReply reply = panelLoader.handle(frame->bytes, 0, frame->skippedBefore);
            if (reply.portFault != LoaderReply::PortFault::None) {
                hangUp();
                break;
            }
            if (!writeAllBytes(masterFd, reply.bytes)) {
                hangUp();
                break;
            }
        }
    }
    serving = false;
}

} // namespace panel_sim
