// Port lists from a sysfs tty tree that the test builds with symbolic links
// laid out as the kernel lays them out.
#include <rs485/LinuxSerialPlatform.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using rs485::LinuxSerialPlatform;
using Names = std::vector<std::string>;

namespace {

class SysfsTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/rs485-sysfs-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root = pattern;
        fs::create_directories(root / "bus/platform");
        fs::create_directories(root / "bus/usb-serial/drivers/ftdi_sio");
        fs::create_directories(root / "bus/usb-serial/drivers/pl2303");
        fs::create_directories(root / "bus/usb/drivers/cdc_acm");
        fs::create_directories(root / "bus/pnp");
        fs::create_directories(root / "class/tty");
    }

    void TearDown() override { fs::remove_all(root); }

    // A device directory with its subsystem link and, optionally, its driver
    // link; returns its path.
    fs::path device(const std::string& path, const std::string& subsystem, const std::string& driver = {})
    {
        const fs::path dir = root / "devices" / path;
        fs::create_directories(dir);
        fs::create_directory_symlink(root / "bus" / subsystem, dir / "subsystem");
        if (!driver.empty())
            fs::create_directory_symlink(root / "bus" / subsystem / "drivers" / driver, dir / "driver");
        return dir;
    }

    // A class/tty entry: a directory whose device link points at dev (none
    // for virtual terminals).
    void tty(const std::string& name, const fs::path& dev = {})
    {
        const fs::path entry = root / "class/tty" / name;
        fs::create_directory(entry);
        if (!dev.empty())
            fs::create_directory_symlink(fs::relative(dev, entry), entry / "device");
    }

    std::string ttyRoot() const { return (root / "class/tty").string(); }

    fs::path root;
};

} // namespace

TEST_F(SysfsTree, ListsRealPortsAndPicksOutTheFtdiConverters)
{
    const fs::path serial8250 = device("platform/serial8250", "platform");
    tty("ttyS0", device("pnp0/00:04", "pnp"));
    tty("ttyS1", serial8250); // phantom legacy ports
    tty("ttyS2", serial8250);
    tty("tty0");
    tty("console");
    tty("ttyUSB2", device("usb1/1-2/1-2:1.0/ttyUSB2", "usb-serial", "ftdi_sio"));
    tty("ttyUSB10", device("usb1/1-3/1-3:1.0/ttyUSB10", "usb-serial", "ftdi_sio"));
    tty("ttyUSB3", device("usb1/1-4/1-4:1.0/ttyUSB3", "usb-serial", "pl2303"));
    tty("ttyACM0", device("usb1/1-5/1-5:1.0", "usb", "cdc_acm"));

    LinuxSerialPlatform platform(ttyRoot());
    EXPECT_EQ(platform.serialPortNames(), (Names{"ttyACM0", "ttyS0", "ttyUSB10", "ttyUSB2", "ttyUSB3"}));
    EXPECT_EQ(platform.converterPortNames(), (Names{"ttyUSB10", "ttyUSB2"}));
}

TEST_F(SysfsTree, DriverIsTakenFromUeventWhenThereIsNoDriverLink)
{
    const fs::path dev = device("usb1/1-2/1-2:1.0/ttyUSB0", "usb-serial");
    std::ofstream(dev / "uevent") << "MAJOR=188\nDRIVER=ftdi_sio\nMINOR=0\n";
    tty("ttyUSB0", dev);
    const fs::path other = device("usb1/1-3/1-3:1.0/ttyUSB1", "usb-serial");
    std::ofstream(other / "uevent") << "DEVTYPE=usb-serial\nDRIVER=ch341\n";
    tty("ttyUSB1", other);

    LinuxSerialPlatform platform(ttyRoot());
    EXPECT_EQ(platform.serialPortNames(), (Names{"ttyUSB0", "ttyUSB1"}));
    EXPECT_EQ(platform.converterPortNames(), Names{"ttyUSB0"});
}

TEST_F(SysfsTree, MissingOrEmptyRootGivesEmptyLists)
{
    LinuxSerialPlatform empty(ttyRoot());
    EXPECT_TRUE(empty.serialPortNames().empty());
    LinuxSerialPlatform missing((root / "no-such-dir").string());
    EXPECT_TRUE(missing.serialPortNames().empty());
    EXPECT_TRUE(missing.converterPortNames().empty());
}
