#include "pe_imports.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "tool_session.h"

namespace e2e {
namespace {

class Image {
  public:
    explicit Image(std::string bytes) : bytes_(std::move(bytes)) {}

    template <class T>
    T At(std::size_t offset) const {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) {
            throw Fatal("the program file ends inside a header it names");
        }
        T value;
        std::memcpy(&value, bytes_.data() + offset, sizeof(T));
        return value;
    }

    std::string StringAt(std::size_t offset) const {
        const std::size_t end = offset < bytes_.size() ? bytes_.find('\0', offset) : offset;
        if (end == std::string::npos || end == offset) {
            return {};
        }
        return bytes_.substr(offset, end - offset);
    }

    std::size_t size() const { return bytes_.size(); }

  private:
    std::string bytes_;
};

struct Section {
    DWORD virtualAddress;
    DWORD virtualSize;
    DWORD rawOffset;
    DWORD rawSize;
};

// The file offset of an address of the loaded image, if the file holds the bytes there.
std::optional<std::size_t> FindFileOffset(const std::vector<Section>& sections, DWORD rva) {
    for (const Section& section : sections) {
        if (rva >= section.virtualAddress && rva - section.virtualAddress < section.rawSize) {
            return section.rawOffset + (rva - section.virtualAddress);
        }
    }
    return std::nullopt;
}

std::size_t FileOffset(const std::vector<Section>& sections, DWORD rva) {
    if (const auto offset = FindFileOffset(sections, rva)) {
        return *offset;
    }
    throw Fatal("address " + std::to_string(rva) + " lies in no section of the program file");
}

bool InImage(const std::vector<Section>& sections, DWORD rva) {
    for (const Section& section : sections) {
        if (rva >= section.virtualAddress &&
            rva - section.virtualAddress < std::max(section.virtualSize, section.rawSize)) {
            return true;
        }
    }
    return false;
}

bool EndsWithDll(const std::string& name) {
    return name.size() > 4 && _stricmp(name.c_str() + name.size() - 4, ".dll") == 0;
}

// Delay-load descriptors anywhere in the file's sections. GNU ld links the descriptors of a
// dlltool delay-import library into the image without entering them in the header's delay-import
// directory, so the directory alone would miss them; a descriptor is recognised by its offsets,
// which all point into the image, its name, which ends in ".dll", and its zero time stamp.
std::vector<std::string> ScanDelayDescriptors(const Image& image,
                                              const std::vector<Section>& sections) {
    std::vector<std::string> names;
    for (const Section& section : sections) {
        const std::size_t end =
            std::min<std::size_t>(section.rawOffset + section.rawSize, image.size());
        for (std::size_t at = section.rawOffset; at + sizeof(IMAGE_DELAYLOAD_DESCRIPTOR) <= end;
             at += 4) {
            const auto descriptor = image.At<IMAGE_DELAYLOAD_DESCRIPTOR>(at);
            if (descriptor.Attributes.AllAttributes != 1 || descriptor.TimeDateStamp != 0 ||
                !InImage(sections, descriptor.ModuleHandleRVA) ||
                !FindFileOffset(sections, descriptor.ImportAddressTableRVA) ||
                !FindFileOffset(sections, descriptor.ImportNameTableRVA)) {
                continue;
            }
            const auto name = FindFileOffset(sections, descriptor.DllNameRVA);
            if (!name) {
                continue;
            }
            const std::string text = image.StringAt(*name);
            if (EndsWithDll(text)) {
                names.push_back(text);
            }
        }
    }
    return names;
}

}  // namespace

PeImports ReadPeImports(const std::wstring& path) {
    const Image image(ReadFileFrom(path, 0));
    if (image.size() < sizeof(IMAGE_DOS_HEADER) || image.At<WORD>(0) != IMAGE_DOS_SIGNATURE) {
        throw Fatal("not a program file: " + Utf8(path));
    }
    const auto ntOffset = static_cast<std::size_t>(image.At<IMAGE_DOS_HEADER>(0).e_lfanew);
    if (image.At<DWORD>(ntOffset) != IMAGE_NT_SIGNATURE) {
        throw Fatal("no PE header in " + Utf8(path));
    }
    const auto file = image.At<IMAGE_FILE_HEADER>(ntOffset + sizeof(DWORD));
    const std::size_t optionalOffset = ntOffset + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
    const WORD magic = image.At<WORD>(optionalOffset);
    IMAGE_DATA_DIRECTORY importDirectory{};
    IMAGE_DATA_DIRECTORY delayDirectory{};
    ULONGLONG imageBase = 0;
    WORD dllCharacteristics = 0;
    auto directory = [](const auto& header, int index) {
        return static_cast<DWORD>(index) < header.NumberOfRvaAndSizes ? header.DataDirectory[index]
                                                                      : IMAGE_DATA_DIRECTORY{};
    };
    if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        const auto header = image.At<IMAGE_OPTIONAL_HEADER64>(optionalOffset);
        importDirectory = directory(header, IMAGE_DIRECTORY_ENTRY_IMPORT);
        delayDirectory = directory(header, IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT);
        imageBase = header.ImageBase;
        dllCharacteristics = header.DllCharacteristics;
    } else if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        const auto header = image.At<IMAGE_OPTIONAL_HEADER32>(optionalOffset);
        importDirectory = directory(header, IMAGE_DIRECTORY_ENTRY_IMPORT);
        delayDirectory = directory(header, IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT);
        imageBase = header.ImageBase;
        dllCharacteristics = header.DllCharacteristics;
    } else {
        throw Fatal("unknown optional header in " + Utf8(path));
    }

    std::vector<Section> sections;
    const std::size_t sectionOffset = optionalOffset + file.SizeOfOptionalHeader;
    for (WORD i = 0; i < file.NumberOfSections; ++i) {
        const auto header =
            image.At<IMAGE_SECTION_HEADER>(sectionOffset + i * sizeof(IMAGE_SECTION_HEADER));
        sections.push_back({header.VirtualAddress, header.Misc.VirtualSize, header.PointerToRawData,
                            header.SizeOfRawData});
    }

    PeImports result;
    result.dllCharacteristics = dllCharacteristics;
    if (importDirectory.VirtualAddress != 0 && importDirectory.Size != 0) {
        const std::size_t start = FileOffset(sections, importDirectory.VirtualAddress);
        for (std::size_t at = start;
             at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= start + importDirectory.Size;
             at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto descriptor = image.At<IMAGE_IMPORT_DESCRIPTOR>(at);
            if (descriptor.Name == 0 && descriptor.FirstThunk == 0) {
                break;
            }
            result.imports.push_back(image.StringAt(FileOffset(sections, descriptor.Name)));
        }
    }
    if (delayDirectory.VirtualAddress != 0 && delayDirectory.Size != 0) {
        // A table ends at a zeroed descriptor or at the end of its directory.
        const std::size_t start = FileOffset(sections, delayDirectory.VirtualAddress);
        for (std::size_t at = start;
             at + sizeof(IMAGE_DELAYLOAD_DESCRIPTOR) <= start + delayDirectory.Size;
             at += sizeof(IMAGE_DELAYLOAD_DESCRIPTOR)) {
            const auto descriptor = image.At<IMAGE_DELAYLOAD_DESCRIPTOR>(at);
            if (descriptor.DllNameRVA == 0) {
                break;
            }
            // Old-style descriptors hold addresses rather than offsets from the image base.
            DWORD name = descriptor.DllNameRVA;
            if (!descriptor.Attributes.RvaBased) {
                name = static_cast<DWORD>(name - imageBase);
            }
            result.delayImports.push_back(image.StringAt(FileOffset(sections, name)));
        }
    }
    for (const std::string& name : ScanDelayDescriptors(image, sections)) {
        if (std::find(result.delayImports.begin(), result.delayImports.end(), name) ==
            result.delayImports.end()) {
            result.delayImports.push_back(name);
        }
    }
    return result;
}

}  // namespace e2e
