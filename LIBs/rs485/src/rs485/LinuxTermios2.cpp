// Only the kernel's headers here: glibc's <termios.h> defines its own
// struct termios and the same flag macros, and the two cannot meet in one
// translation unit.
#include <rs485/LinuxTermios2.h>

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace rs485::termios2 {
namespace {

bool getTermios(int fd, struct termios2& t)
{
    for (;;) {
        if (::ioctl(fd, TCGETS2, &t) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

bool setTermios(int fd, const struct termios2& t)
{
    for (;;) {
        if (::ioctl(fd, TCSETS2, &t) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

int dataBitsOf(tcflag_t cflag)
{
    switch (cflag & CSIZE) {
    case CS5: return 5;
    case CS6: return 6;
    case CS7: return 7;
    default: return 8;
    }
}

constexpr tcflag_t inputProcessing =
    IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC | IXON | IXANY | IXOFF | IMAXBEL;
constexpr tcflag_t localProcessing = ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHONL | IEXTEN | XCASE;

} // namespace

bool readLineState(int fd, LineState& state)
{
    struct termios2 t {};
    if (!getTermios(fd, t))
        return false;
    state.inputSpeed = t.c_ispeed;
    state.outputSpeed = t.c_ospeed;
    state.speedIsNumber = (t.c_cflag & CBAUD) == BOTHER;
    state.parityEnabled = (t.c_cflag & PARENB) != 0;
    state.parityOdd = (t.c_cflag & PARODD) != 0;
    state.stickParity = (t.c_cflag & CMSPAR) != 0;
    state.dataBits = dataBitsOf(t.c_cflag);
    state.twoStopBits = (t.c_cflag & CSTOPB) != 0;
    state.hardwareFlow = (t.c_cflag & CRTSCTS) != 0;
    state.softwareFlow = (t.c_iflag & (IXON | IXOFF | IXANY)) != 0;
    state.ignoresModemLines = (t.c_cflag & CLOCAL) != 0;
    state.receiverOn = (t.c_cflag & CREAD) != 0;
    state.checksInputParity = (t.c_iflag & (INPCK | PARMRK)) != 0;
    state.raw = (t.c_iflag & inputProcessing) == 0 && (t.c_lflag & localProcessing) == 0
        && (t.c_oflag & OPOST) == 0;
    state.minChars = t.c_cc[VMIN];
    state.timeTenths = t.c_cc[VTIME];
    return true;
}

bool applyRawLine(int fd, std::uint32_t baud, Parity parity)
{
    struct termios2 t {};
    if (!getTermios(fd, t))
        return false;

    t.c_iflag &= ~inputProcessing;
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~localProcessing;
    t.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= CS8 | CLOCAL | CREAD | BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = baud;
    t.c_ospeed = baud;
    switch (parity) {
    case Parity::None: break;
    case Parity::Odd: t.c_cflag |= PARENB | PARODD; break;
    case Parity::Even: t.c_cflag |= PARENB; break;
    case Parity::Mark: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case Parity::Space: t.c_cflag |= PARENB | CMSPAR; break;
    }
    // Blocking semantics for the reader: with VMIN 0 a read of an empty
    // queue returns 0, which could not be told apart from a vanished device.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (!setTermios(fd, t))
        return false;

    // Some USB serial drivers drop CMSPAR without a word, and the line would
    // then carry plain odd/even parity instead of the ninth bit. PARENB is
    // not compared: a pseudo-terminal clears it by itself.
    struct termios2 check {};
    if (!getTermios(fd, check))
        return false;
    const tcflag_t stick = CMSPAR | PARODD;
    return (check.c_cflag & stick) == (t.c_cflag & stick);
}

} // namespace rs485::termios2
