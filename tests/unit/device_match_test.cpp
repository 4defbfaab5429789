#include "model/device_match.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/port_name.h"

namespace portsetup {
namespace {

const std::vector<PortDevice> kDevices{
    {L"USB Serial Port (COM7)",
     {L"FTDIBUS\\COMPORT&VID_0403&PID_6001", L"FTDIBUS\\COMPORT"},
     L"FTDIBUS\\VID_0403+PID_6001+A1B2C3D4A\\0000",
     L"COM7"},
    {L"USB Serial Port (COM9)",
     {L"FTDIBUS\\COMPORT&VID_0403&PID_6001"},
     L"FTDIBUS\\VID_0403+PID_6001+FFEE0011A\\0000",
     L"COM9"},
    {L"Communications Port (COM1)", {L"*PNP0501"}, L"ACPI\\PNP0501\\1", L"COM1"},
    {L"Printer Port (LPT1)", {L"*PNP0400"}, L"ACPI\\PNP0400\\0", L"LPT1"},
    {L"Modem port", {L"USB\\VID_1234&PID_0001"}, L"USB\\VID_1234&PID_0001\\5", L""},
    {L"Odd port", {L"ODD\\PORT"}, L"ODD\\PORT\\0", L"COM257"},
    {L"USB Printing Support",
     {L"USB\\VID_04B8&PID_0202&REV_0100", L"USB\\VID_04B8&PID_0202"},
     L"USB\\VID_04B8&PID_0202\\J7XF012345",
     L"USB001",
     L"\\\\?\\usb#vid_04b8&pid_0202#j7xf012345#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"},
    {L"USB Printing Support",
     {L"USB\\VID_04B8&PID_0202&REV_0100", L"USB\\VID_04B8&PID_0202"},
     L"USB\\VID_04B8&PID_0202\\J7XF067890",
     L"USB003"},
    {L"USB Printing Support", {L"USB\\VID_0519&PID_0001"}, L"USB\\VID_0519&PID_0001\\6", L""},
};

TEST(PortDevice, IdMatchesPartOfAHardwareOrInstanceIdOnDevicesWithAPrinterPort) {
    const struct {
        std::wstring id;
        std::vector<std::wstring> ports;  // the matches' ports, in order
    } cases[] = {
        {L"VID_0403&PID_6001", {L"COM7:", L"COM9:"}},
        {L"vid_0403&pid_6001", {L"COM7:", L"COM9:"}},
        {L"a1b2c3d4", {L"COM7:"}},
        {L"+FFEE0011A\\", {L"COM9:"}},
        {L"pnp0501", {L"COM1:"}},
        {L"PNP0400", {}},    // a parallel port
        {L"VID_1234", {}},   // no port name
        {L"ODD\\PORT", {}},  // beyond COM256
        {L"VID_0403&PID_6015", {}},
        {L"", {}},
        {L"USB\\VID_04B8&PID_0202", {L"USB001", L"USB003"}},
        {L"vid_04b8&pid_0202", {L"USB001", L"USB003"}},
        {L"VID_04B8&PID_0202\\J7XF0678", {L"USB003"}},
        {L"VID_0519", {}},  // an interface key without a port
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.id.begin(), test.id.end()));
        std::vector<std::wstring> ports;
        for (const PortDevice* device : MatchingDevices(kDevices, test.id)) {
            ports.push_back(PrinterPortOf(*device));
        }
        EXPECT_EQ(ports, test.ports);
    }
}

// The interface key's "Base Name" and "Port Number" values, as the USB port monitor joins them.
TEST(PortDevice, AUsbPrintersPortIsItsBaseNameAndThreeDigits) {
    EXPECT_EQ(UsbPortName(L"USB", 1), L"USB001");
    EXPECT_EQ(UsbPortName(L"usb", 42), L"USB042");
    EXPECT_EQ(UsbPortName(L"USB", 999), L"USB999");
    for (const unsigned long beyond : {0UL, 1000UL}) {
        EXPECT_EQ(UsbPortName(L"USB", beyond), L"");
    }
    EXPECT_EQ(UsbPortName(L"DOT4", 1), L"");
}

}  // namespace
}  // namespace portsetup
