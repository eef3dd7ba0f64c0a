// The two port lists of the Win32 driver, read from a registry tree that each
// test writes below the current user's key and removes again.
#include <rs485/WindowsSerialPlatform.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

const char serialComm[] = "HARDWARE\\Devicemap\\SerialComm";
const char ftdiEnum[] = "SYSTEM\\CurrentControlSet\\Services\\FTDIBUS\\Enum";

class WindowsPortListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        treePath = "Software\\QuorvelPortListTest" + std::to_string(GetCurrentProcessId());
        RegDeleteTreeA(HKEY_CURRENT_USER, treePath.c_str());
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, treePath.c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &root, nullptr),
                  ERROR_SUCCESS);
    }

    void TearDown() override
    {
        if (root)
            RegCloseKey(root);
        RegDeleteTreeA(HKEY_CURRENT_USER, treePath.c_str());
    }

    HKEY createKey(const std::string& path)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS)
            << path;
        return key;
    }

    void setText(const std::string& path, const std::string& name, const std::string& text)
    {
        HKEY key = createKey(path);
        ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    void setCount(DWORD count)
    {
        HKEY key = createKey(ftdiEnum);
        ASSERT_EQ(RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count),
                                 sizeof count),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    // One converter as the bus driver records it: its instance identifier
    // under the next index, and its port name in its device key.
    void addConverter(int index, const std::string& instanceId, const std::string& deviceKey,
                      const std::string& portName)
    {
        setText(ftdiEnum, std::to_string(index), instanceId);
        setText("SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS\\" + deviceKey
                    + "A\\0000\\Device Parameters",
                "PortName", portName);
    }

    Names serialPorts() { return rs485::WindowsSerialPlatform(root).serialPortNames(); }
    Names converterPorts() { return rs485::WindowsSerialPlatform(root).converterPortNames(); }

    std::string treePath;
    HKEY root = nullptr;
};

TEST_F(WindowsPortListTest, missingOrEmptyKeysGiveEmptyLists)
{
    EXPECT_TRUE(serialPorts().empty());
    EXPECT_TRUE(converterPorts().empty());

    RegCloseKey(createKey(serialComm));
    RegCloseKey(createKey(ftdiEnum)); // no Count value
    EXPECT_TRUE(serialPorts().empty());
    EXPECT_TRUE(converterPorts().empty());
}

TEST_F(WindowsPortListTest, serialPortsComeFromTheValueDataSortedByteWise)
{
    setText(serialComm, "\\Device\\Serial1", "COM2");
    setText(serialComm, "\\Device\\Serial0", "COM10");
    setText(serialComm, "\\Device\\VCP0", "COM1");
    setText(serialComm, "\\Device\\Serial2", "COM3");

    EXPECT_EQ(serialPorts(), (Names{"COM1", "COM10", "COM2", "COM3"}));
}

TEST_F(WindowsPortListTest, serialPortNameWithoutTerminatingZeroIsReadWithinItsData)
{
    HKEY key = createKey(serialComm);
    const char name[] = {'C', 'O', 'M', '7'};
    ASSERT_EQ(RegSetValueExA(key, "\\Device\\Serial0", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(name), sizeof name),
              ERROR_SUCCESS);
    RegCloseKey(key);

    EXPECT_EQ(serialPorts(), (Names{"COM7"}));
}

TEST_F(WindowsPortListTest, converterIdentifierLeadsToItsDeviceKey)
{
    setCount(1);
    addConverter(0, "USB\\VID_1234&PID_5678\\SN0001", "VID_1234+PID_5678+SN0001", "COM5");

    EXPECT_EQ(converterPorts(), (Names{"COM5"}));
}

TEST_F(WindowsPortListTest, countZeroListsNoConverter)
{
    setCount(0);
    addConverter(0, "USB\\VID_1234&PID_5678\\SN0001", "VID_1234+PID_5678+SN0001", "COM5");

    EXPECT_TRUE(converterPorts().empty());
}

TEST_F(WindowsPortListTest, convertersAreSortedByteWise)
{
    setCount(3);
    addConverter(0, "USB\\VID_0403&PID_6001\\A1", "VID_0403+PID_6001+A1", "COM3");
    addConverter(1, "USB\\VID_0403&PID_6001\\B2", "VID_0403+PID_6001+B2", "COM12");
    addConverter(2, "USB\\VID_0403&PID_6001\\C3", "VID_0403+PID_6001+C3", "COM1");

    EXPECT_EQ(converterPorts(), (Names{"COM1", "COM12", "COM3"}));
}

TEST_F(WindowsPortListTest, missingConverterEndsTheList)
{
    setCount(3);
    addConverter(0, "USB\\VID_0403&PID_6001\\A1", "VID_0403+PID_6001+A1", "COM4");
    // The second one is listed but its device key is gone (unplugged).
    setText(ftdiEnum, "1", "USB\\VID_0403&PID_6001\\B2");
    addConverter(2, "USB\\VID_0403&PID_6001\\C3", "VID_0403+PID_6001+C3", "COM6");

    EXPECT_EQ(converterPorts(), (Names{"COM4"}));
}

TEST_F(WindowsPortListTest, countBeyondTheListedIdentifiersStopsAtTheFirstGap)
{
    setCount(5);
    addConverter(0, "USB\\VID_0403&PID_6001\\A1", "VID_0403+PID_6001+A1", "COM4");
    addConverter(1, "USB\\VID_0403&PID_6001\\B2", "VID_0403+PID_6001+B2", "COM8");

    EXPECT_EQ(converterPorts(), (Names{"COM4", "COM8"}));
}

TEST_F(WindowsPortListTest, converterWithoutPortNameEndsTheList)
{
    setCount(2);
    addConverter(0, "USB\\VID_0403&PID_6001\\A1", "VID_0403+PID_6001+A1", "COM4");
    setText(ftdiEnum, "1", "USB\\VID_0403&PID_6001\\B2");
    RegCloseKey(createKey("SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS\\VID_0403+PID_6001+B2A\\0000"
                          "\\Device Parameters"));

    EXPECT_EQ(converterPorts(), (Names{"COM4"}));
}

TEST_F(WindowsPortListTest, identifierShorterThanItsBusPrefixEndsTheList)
{
    setCount(2);
    addConverter(0, "USB\\VID_0403&PID_6001\\A1", "VID_0403+PID_6001+A1", "COM4");
    setText(ftdiEnum, "1", "USB");

    EXPECT_EQ(converterPorts(), (Names{"COM4"}));
}

TEST_F(WindowsPortListTest, overlongTextsNeverOverrunTheirBuffers)
{
    const std::string longText(150, 'X');
    setText(serialComm, "\\Device\\Serial0", "COM1");
    setText(serialComm, "\\Device\\Serial1", std::string(300, 'Y')); // more than a value may hold
    setCount(2);
    addConverter(0, "USB\\VID_0403&PID_6001\\A1", "VID_0403+PID_6001+A1", "COM4");
    addConverter(1, "USB\\VID_0403&PID_6001\\B2", "VID_0403+PID_6001+B2", longText);

    EXPECT_EQ(converterPorts(), (Names{"COM4"}));
    const Names serial = serialPorts();
    ASSERT_FALSE(serial.empty());
    EXPECT_EQ(serial.front(), "COM1");
}

} // namespace
