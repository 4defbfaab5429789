// Start-up and footprint benchmark: starts the tool and the floor program alternately, times each
// start until its "Select Port Type" window is visible and the process is idle, reads the peak
// working set, closes the window, and reports medians, ratios, the tool's size and the DLLs its
// import table names.
//
//   startup_bench.exe <tool.exe> <floor.exe> [measured starts each, >= 15] [warm-up starts each]
//
// Exit code: 0 all targets met, 3 a target missed or the two programs carry different manifests,
// 1 the measurement itself failed.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kCaption[] = L"Select Port Type";
constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 10000;
constexpr int kMinimumStarts = 15;

constexpr double kStartRatioTarget = 1.2;
constexpr double kWorkingSetRatioTarget = 1.2;
constexpr std::uintmax_t kSizeTargetBytes = 280 * 1024;

std::string Narrow(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string result(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), result.data(), size, nullptr,
                        nullptr);
    return result;
}

[[noreturn]] void Fail(const std::wstring& what) {
    const DWORD error = GetLastError();
    throw std::runtime_error(Narrow(what) + " (last error " + std::to_string(error) + ")");
}

class Handle {
  public:
    explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

double Now() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return double(counter.QuadPart);
}

double TicksPerMs() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(frequency.QuadPart) / 1000.0;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !IsWindowVisible(window)) {
        return TRUE;
    }
    // Another process's caption is read from the window manager, without a message that a busy
    // process could hold up.
    wchar_t caption[64] = {};
    InternalGetWindowText(window, caption, int(std::size(caption)));
    if (std::wcscmp(caption, kCaption) != 0) {
        return TRUE;
    }
    search.found = window;
    return FALSE;
}

HWND VisibleWindowOf(DWORD processId) {
    WindowSearch search{processId, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct Sample {
    double startMs;
    double peakWorkingSet;
};

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

Sample MeasureStart(const std::wstring& program, double ticksPerMs) {
    std::wstring commandLine = Quoted(program);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};

    const double start = Now();
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
        Fail(L"cannot start " + program);
    }
    Handle process(info.hProcess);
    Handle thread(info.hThread);

    // Shown and idle: the window is visible and the process waits for input. Whichever comes
    // last ends the start.
    HWND window = nullptr;
    bool idle = false;
    double shown = 0;
    for (;;) {
        if (!idle) {
            const DWORD result = WaitForInputIdle(process.get(), kWindowTimeoutMs);
            // A process that has ended fails the wait too; the exit check below reports it.
            if (result == WAIT_FAILED && WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0) {
                Fail(L"WaitForInputIdle failed for " + program);
            }
            idle = result == 0;
        }
        window = VisibleWindowOf(info.dwProcessId);
        if (window != nullptr && idle) {
            shown = Now();
            break;
        }
        if ((Now() - start) / ticksPerMs > kWindowTimeoutMs) {
            TerminateProcess(process.get(), 1);
            throw std::runtime_error(Narrow(program) + ": no visible \"Select Port Type\" window");
        }
        // Doubles as the poll interval and notices a process that ended without its window.
        if (WaitForSingleObject(process.get(), 1) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(process.get(), &code);
            throw std::runtime_error(Narrow(program) + " ended with code " + std::to_string(code) +
                                     " before its window was shown");
        }
    }

    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (!GetProcessMemoryInfo(process.get(), &memory, sizeof memory)) {
        Fail(L"GetProcessMemoryInfo failed for " + program);
    }
    if (memory.PeakWorkingSetSize == 0) {
        throw std::runtime_error("the system reports no working set for " + Narrow(program));
    }

    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.get(), kExitTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        throw std::runtime_error(Narrow(program) + " did not end within " +
                                 std::to_string(kExitTimeoutMs) + " ms of WM_CLOSE");
    }
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);
    if (code != 0) {
        throw std::runtime_error(Narrow(program) + " ended with code " + std::to_string(code) +
                                 " after WM_CLOSE, not 0");
    }
    return {(shown - start) / ticksPerMs, double(memory.PeakWorkingSetSize)};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// --- Import table -------------------------------------------------------------------------------

class PeImage {
  public:
    explicit PeImage(const std::wstring& path) : path_(Narrow(path)) {
        Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr));
        LARGE_INTEGER size{};
        if (file.get() == INVALID_HANDLE_VALUE || !GetFileSizeEx(file.get(), &size) ||
            size.QuadPart > 256 * 1024 * 1024) {
            Fail(L"cannot read " + path);
        }
        bytes_.resize(size_t(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes_.data(), DWORD(bytes_.size()), &read, nullptr) ||
            read != bytes_.size()) {
            Fail(L"cannot read " + path);
        }

        const auto dos = Read<IMAGE_DOS_HEADER>(0);
        if (dos.e_magic != IMAGE_DOS_SIGNATURE) {
            Bad("no MZ header");
        }
        const size_t nt = size_t(dos.e_lfanew);
        if (Read<DWORD>(nt) != IMAGE_NT_SIGNATURE) {
            Bad("no PE signature");
        }
        const auto header = Read<IMAGE_FILE_HEADER>(nt + 4);
        const size_t optional = nt + 4 + sizeof(IMAGE_FILE_HEADER);
        const WORD magic = Read<WORD>(optional);
        size_t directories = 0;
        if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
            imageBase_ = Read<ULONGLONG>(optional + 24);
            directories = optional + 112;
        } else if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
            imageBase_ = Read<DWORD>(optional + 28);
            directories = optional + 96;
        } else {
            Bad("unknown optional header");
        }
        const DWORD directoryCount = Read<DWORD>(directories - 4);
        auto directory = [&](DWORD index) {
            return index < directoryCount ? Read<IMAGE_DATA_DIRECTORY>(
                                                directories + index * sizeof(IMAGE_DATA_DIRECTORY))
                                          : IMAGE_DATA_DIRECTORY{};
        };
        imports_ = directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
        delayImports_ = directory(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT);

        const size_t sectionTable = optional + header.SizeOfOptionalHeader;
        for (WORD i = 0; i < header.NumberOfSections; ++i) {
            sections_.push_back(
                Read<IMAGE_SECTION_HEADER>(sectionTable + i * sizeof(IMAGE_SECTION_HEADER)));
        }
    }

    std::vector<std::string> ImportedDlls() const {
        std::vector<std::string> names;
        if (imports_.VirtualAddress == 0) {
            return names;
        }
        for (size_t at = Offset(imports_.VirtualAddress);; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto descriptor = Read<IMAGE_IMPORT_DESCRIPTOR>(at);
            if (descriptor.Name == 0 && descriptor.FirstThunk == 0) {
                return names;
            }
            names.push_back(String(descriptor.Name));
        }
    }

    // GNU ld up to 2.40 at least leaves the delay-load directory empty although dlltool's
    // delay-load libraries put descriptors into the image, so without a directory the image is
    // searched for them.
    std::vector<std::string> DelayImportedDlls() const {
        std::vector<std::string> names;
        if (delayImports_.VirtualAddress != 0) {
            for (size_t at = Offset(delayImports_.VirtualAddress);;
                 at += sizeof(IMAGE_DELAYLOAD_DESCRIPTOR)) {
                const auto descriptor = Read<IMAGE_DELAYLOAD_DESCRIPTOR>(at);
                if (descriptor.DllNameRVA == 0) {
                    return names;
                }
                // Old-style descriptors hold virtual addresses instead of RVAs.
                DWORD name = descriptor.DllNameRVA;
                if ((descriptor.Attributes.AllAttributes & 1) == 0) {
                    name = DWORD(name - imageBase_);
                }
                names.push_back(String(name));
            }
        }
        for (const IMAGE_SECTION_HEADER& section : sections_) {
            const size_t end = std::min<size_t>(
                bytes_.size(), size_t(section.PointerToRawData) + section.SizeOfRawData);
            for (size_t at = section.PointerToRawData;
                 at + sizeof(IMAGE_DELAYLOAD_DESCRIPTOR) <= end; at += 4) {
                const std::string name = DescriptorDllName(at);
                if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
                    names.push_back(name);
                }
            }
        }
        return names;
    }

  private:
    [[noreturn]] void Bad(const std::string& what) const {
        throw std::runtime_error(path_ + ": not a valid PE file: " + what);
    }

    template <class T>
    T Read(size_t offset) const {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) {
            Bad("a structure lies past the end of the file");
        }
        T value;
        std::memcpy(&value, bytes_.data() + offset, sizeof(T));
        return value;
    }

    // The file offset of an RVA, or 0 when no file data lies there.
    size_t FileOffset(DWORD rva) const {
        for (const IMAGE_SECTION_HEADER& section : sections_) {
            if (rva >= section.VirtualAddress &&
                rva - section.VirtualAddress < section.SizeOfRawData) {
                const size_t offset = section.PointerToRawData + (rva - section.VirtualAddress);
                return offset < bytes_.size() ? offset : 0;
            }
        }
        return 0;
    }

    size_t Offset(DWORD rva) const {
        const size_t offset = FileOffset(rva);
        if (offset == 0) {
            Bad("an RVA points at no file data");
        }
        return offset;
    }

    // The DLL name of a delay-load descriptor at a file offset, or empty when the bytes there are
    // not one: RVA-based, every table it names inside the image, its name a DLL file name.
    std::string DescriptorDllName(size_t at) const {
        const auto descriptor = Read<IMAGE_DELAYLOAD_DESCRIPTOR>(at);
        if (descriptor.Attributes.AllAttributes != 1 ||
            FileOffset(descriptor.ImportNameTableRVA) == 0 ||
            FileOffset(descriptor.ImportAddressTableRVA) == 0 || descriptor.ModuleHandleRVA == 0) {
            return {};
        }
        const size_t name = FileOffset(descriptor.DllNameRVA);
        if (name == 0) {
            return {};
        }
        std::string text;
        for (size_t i = name; i < bytes_.size() && bytes_[i] != 0 && text.size() < MAX_PATH; ++i) {
            if (bytes_[i] < 0x20 || bytes_[i] > 0x7e) {
                return {};
            }
            text += char(bytes_[i]);
        }
        std::string lower = text;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](char c) { return char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
        return lower.size() > 4 && (lower.ends_with(".dll") || lower.ends_with(".drv")) ? text : "";
    }

    std::string String(DWORD rva) const {
        const size_t begin = Offset(rva);
        const auto* first = reinterpret_cast<const char*>(bytes_.data() + begin);
        const size_t length = strnlen(first, bytes_.size() - begin);
        if (length == bytes_.size() - begin) {
            Bad("an unterminated name");
        }
        return std::string(first, length);
    }

    std::string path_;
    std::vector<unsigned char> bytes_;
    ULONGLONG imageBase_ = 0;
    IMAGE_DATA_DIRECTORY imports_{};
    IMAGE_DATA_DIRECTORY delayImports_{};
    std::vector<IMAGE_SECTION_HEADER> sections_;
};

// A system DLL is one the system itself provides in its system folder; a MinGW runtime DLL would
// have to be shipped beside the tool.
bool IsSystemDll(const std::string& name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        Fail(L"GetSystemDirectory failed");
    }
    std::wstring path = std::wstring(folder, length) + L"\\";
    path.append(name.begin(), name.end());
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Join(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : " ") + name;
    }
    return text.empty() ? "none" : text;
}

// The application manifest embedded as resource 1 of type 24, empty when there is none.
std::string ManifestOf(const std::wstring& path) {
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) {
        Fail(L"cannot read the resources of " + path);
    }
    std::string text;
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST)) {
        const DWORD size = SizeofResource(module, found);
        if (const void* data = LockResource(LoadResource(module, found))) {
            text.assign(static_cast<const char*>(data), size);
        }
    }
    FreeLibrary(module);
    return text;
}

const char* Verdict(bool met) {
    return met ? "met" : "MISSED";
}

int Run(int argc, wchar_t** argv) {
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr,
                     "usage: startup_bench <tool.exe> <floor.exe> [measured starts each, >= %d, "
                     "default 20] [warm-up starts each, >= 2, default 2]\n",
                     kMinimumStarts);
        return 1;
    }
    const std::wstring tool = argv[1];
    const std::wstring floor = argv[2];
    const int starts = argc > 3 ? _wtoi(argv[3]) : 20;
    const int warmUps = argc > 4 ? _wtoi(argv[4]) : 2;
    if (starts < kMinimumStarts || warmUps < 2) {
        std::fprintf(stderr, "startup_bench: at least %d measured and 2 warm-up starts each\n",
                     kMinimumStarts);
        return 1;
    }

    // The floor stands for the tool only if both load the same system parts.
    const std::string toolManifest = ManifestOf(tool);
    const std::string floorManifest = ManifestOf(floor);
    const bool fair = !toolManifest.empty() && toolManifest == floorManifest;
    const char* manifestNote =
        toolManifest.empty()            ? "the tool has NO application manifest: unfair comparison"
        : toolManifest != floorManifest ? "the manifests DIFFER: unfair comparison"
                                        : "the same in tool and floor";

    const double ticksPerMs = TicksPerMs();
    for (int i = 0; i < warmUps; ++i) {
        MeasureStart(tool, ticksPerMs);
        MeasureStart(floor, ticksPerMs);
    }
    std::vector<double> toolMs, floorMs, pairRatios, toolSet, floorSet;
    for (int i = 0; i < starts; ++i) {
        const Sample a = MeasureStart(tool, ticksPerMs);
        const Sample b = MeasureStart(floor, ticksPerMs);
        toolMs.push_back(a.startMs);
        floorMs.push_back(b.startMs);
        pairRatios.push_back(a.startMs / b.startMs);
        toolSet.push_back(a.peakWorkingSet);
        floorSet.push_back(b.peakWorkingSet);
    }

    const std::string toolName = Narrow(tool);
    const std::string floorName = Narrow(floor);
    auto row = [](const char* label, const std::vector<double>& ms,
                  const std::vector<double>& set) {
        std::printf("  %-6s %10.1f %8.1f %8.1f %14.0f KiB\n", label, Median(ms),
                    *std::min_element(ms.begin(), ms.end()),
                    *std::max_element(ms.begin(), ms.end()), Median(set) / 1024);
    };
    std::printf("%d measured starts each (after %d warm-up starts each), alternating tool, floor\n",
                starts, warmUps);
    std::printf("  tool:  %s\n  floor: %s\n", toolName.c_str(), floorName.c_str());
    std::printf("  application manifest: %s\n", manifestNote);
    std::printf("  %-6s %10s %8s %8s %18s\n", "", "median ms", "min ms", "max ms",
                "median peak WS");
    row("tool", toolMs, toolSet);
    row("floor", floorMs, floorSet);

    const double startRatio = Median(pairRatios);
    const double setRatio = Median(toolSet) / Median(floorSet);
    std::printf("start time ratio tool/floor (median of pairs): %.3f  target <= %.1f: %s\n",
                startRatio, kStartRatioTarget, Verdict(startRatio <= kStartRatioTarget));
    std::printf("peak working set ratio tool/floor (of medians): %.3f  target <= %.1f: %s\n",
                setRatio, kWorkingSetRatioTarget, Verdict(setRatio <= kWorkingSetRatioTarget));

    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!GetFileAttributesExW(tool.c_str(), GetFileExInfoStandard, &attributes)) {
        Fail(L"cannot read the size of " + tool);
    }
    const std::uintmax_t size =
        (std::uintmax_t(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
    std::printf("tool size: %ju bytes (%.1f KiB)  target <= %ju KiB: %s\n", size,
                double(size) / 1024, kSizeTargetBytes / 1024, Verdict(size <= kSizeTargetBytes));

    const PeImage toolImage(tool);
    const std::vector<std::string> imports = toolImage.ImportedDlls();
    const std::vector<std::string> delayed = toolImage.DelayImportedDlls();
    std::vector<std::string> foreign;
    for (const auto* list : {&imports, &delayed}) {
        for (const std::string& name : *list) {
            if (!IsSystemDll(name)) {
                foreign.push_back(name);
            }
        }
    }
    std::printf("tool imports: %s\ntool delay-load imports: %s\n", Join(imports).c_str(),
                Join(delayed).c_str());
    const std::string outsiders =
        foreign.empty() ? "" : "; not in the system folder: " + Join(foreign);
    std::printf("system DLLs only: %s%s\n", Verdict(foreign.empty()), outsiders.c_str());
    const PeImage floorImage(floor);
    std::printf("floor imports, for reference: %s\n", Join(floorImage.ImportedDlls()).c_str());

    const bool met = fair && startRatio <= kStartRatioTarget &&
                     setRatio <= kWorkingSetRatioTarget && size <= kSizeTargetBytes &&
                     foreign.empty();
    return met ? 0 : 3;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "startup_bench: %s\n", error.what());
        return 1;
    }
}
