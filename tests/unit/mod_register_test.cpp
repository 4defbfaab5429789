#include "actions/mod_register.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace portsetup::Mod_Register {
namespace {

constexpr long kFileNotFound = 2;
constexpr long kAccessDenied = 5;
constexpr long kInvalidHandle = 6;

// Stands in for RegOpenKeyExA, RegSetValueExA and RegCloseKey: records every call with what it
// was given and answers with the statuses the test sets.
struct FakeRegistry {
    using Key = const void*;
    static inline const int hklm = 0;
    static inline const int opened = 0;
    static Key Hklm() { return &hklm; }
    static Key OpenedKey() { return &opened; }

    struct Call {
        std::string function;
        Key key = nullptr;
        std::string text;  // the key path, or the value name
        unsigned long options = 0;
        unsigned long access = 0;
        unsigned long type = 0;
        std::string data;  // every byte handed over, the terminating zero included
        unsigned long size = 0;
    };
    std::vector<Call> calls;
    long openStatus = kSuccess;
    long setStatus = kSuccess;
    long closeStatus = kSuccess;

    static std::string ToCodePage(std::wstring_view text) {
        std::string narrow;
        for (wchar_t c : text)
            narrow += c < 0x80 ? static_cast<char>(c) : '?';
        return narrow;
    }
    long OpenKeyEx(Key hive, const char* path, unsigned long options, unsigned long access,
                   Key* key) noexcept {
        Call call;
        call.function = "open";
        call.key = hive;
        call.text = path;
        call.options = options;
        call.access = access;
        calls.push_back(call);
        if (openStatus == kSuccess)
            *key = OpenedKey();
        return openStatus;
    }
    long SetValueEx(Key key, const char* name, unsigned long reserved, unsigned long type,
                    const unsigned char* data, unsigned long size) noexcept {
        Call call;
        call.function = "set";
        call.key = key;
        call.text = name;
        call.options = reserved;
        call.type = type;
        call.data.assign(reinterpret_cast<const char*>(data), size);
        call.size = size;
        calls.push_back(call);
        return setStatus;
    }
    long CloseKey(Key key) noexcept {
        Call call;
        call.function = "close";
        call.key = key;
        calls.push_back(call);
        return closeStatus;
    }

    std::vector<std::string> Functions() const {
        std::vector<std::string> names;
        for (const Call& call : calls)
            names.push_back(call.function);
        return names;
    }
};

using Functions = std::vector<std::string>;

long Write(FakeRegistry& registry, std::wstring name, std::wstring data) {
    return WriteRegString(registry, FakeRegistry::Hklm(), std::wstring(PortsKeyPath),
                          std::move(name), std::move(data));
}

TEST(WriteRegString, OpensTheExistingKeyWritesTheStringAndClosesTheKey) {
    FakeRegistry registry;
    EXPECT_EQ(Write(registry, L"COM1:", L"9600,n,8,1"), kSuccess);
    ASSERT_EQ(registry.Functions(), (Functions{"open", "set", "close"}));

    const auto& open = registry.calls[0];
    EXPECT_EQ(open.key, FakeRegistry::Hklm());
    EXPECT_EQ(open.text, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports");
    EXPECT_EQ(open.options, 0u);
    EXPECT_EQ(open.access, 0x2003Fu);

    const auto& set = registry.calls[1];
    EXPECT_EQ(set.key, FakeRegistry::OpenedKey());
    EXPECT_EQ(set.text, "COM1:");
    EXPECT_EQ(set.options, 0u) << "reserved";
    EXPECT_EQ(set.type, 1u) << "REG_SZ";
    EXPECT_EQ(set.size, 11u);
    EXPECT_EQ(set.data, std::string("9600,n,8,1\0", 11));

    EXPECT_EQ(registry.calls[2].key, FakeRegistry::OpenedKey());
}

TEST(WriteRegString, StoredSizeCountsTheTerminatingZero) {
    FakeRegistry registry;
    Write(registry, L"COM4:", L"115200,e,7,1.5,x");
    ASSERT_EQ(registry.calls.size(), 3u);
    EXPECT_EQ(registry.calls[1].size, 17u);
    EXPECT_EQ(registry.calls[1].data.back(), '\0');

    FakeRegistry empty;
    Write(empty, L"COM2:", L"");
    ASSERT_EQ(empty.calls.size(), 3u);
    EXPECT_EQ(empty.calls[1].data, std::string(1, '\0'));
}

TEST(WriteRegString, FailedOpenWritesNothingAndReportsTheOpenStatus) {
    for (long status : {kFileNotFound, kAccessDenied}) {
        FakeRegistry registry;
        registry.openStatus = status;
        EXPECT_EQ(Write(registry, L"COM1:", L"9600,n,8,1"), status);
        EXPECT_EQ(registry.Functions(), Functions{"open"}) << "nothing is written or closed";
    }
}

TEST(WriteRegString, FailedWriteStillClosesTheKeyAndReportsTheWriteStatus) {
    FakeRegistry registry;
    registry.setStatus = kAccessDenied;
    registry.closeStatus = kInvalidHandle;
    EXPECT_EQ(Write(registry, L"COM3:", L"9600,n,8,1"), kAccessDenied);
    EXPECT_EQ(registry.Functions(), (Functions{"open", "set", "close"}));
}

TEST(WriteRegString, FailedCloseIsReportedWhenEverythingElseSucceeded) {
    FakeRegistry registry;
    registry.closeStatus = kInvalidHandle;
    EXPECT_EQ(Write(registry, L"COM3:", L"9600,n,8,1"), kInvalidHandle);
}

TEST(WriteRegString, WorksOnItsOwnCopiesOfTheTexts) {
    FakeRegistry registry;
    std::wstring name = L"COM2:";
    std::wstring data = L"19200,n,8,1,p";
    WriteRegString(registry, FakeRegistry::Hklm(), std::wstring(PortsKeyPath), name, data);
    EXPECT_EQ(name, L"COM2:");
    EXPECT_EQ(data, L"19200,n,8,1,p");
    EXPECT_EQ(registry.calls[1].data, std::string("19200,n,8,1,p\0", 14));
}

}  // namespace
}  // namespace portsetup::Mod_Register
