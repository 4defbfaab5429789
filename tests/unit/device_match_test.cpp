#include "model/device_match.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
};

TEST(PortDevice, IdMatchesPartOfAHardwareOrInstanceIdOnDevicesWithAComPort) {
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
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.id.begin(), test.id.end()));
        std::vector<std::wstring> ports;
        for (const PortDevice& device : MatchingDevices(kDevices, test.id)) {
            ports.push_back(DeviceComPort(device));
        }
        EXPECT_EQ(ports, test.ports);
    }
}

}  // namespace
}  // namespace portsetup
