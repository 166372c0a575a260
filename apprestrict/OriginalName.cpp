// A version resource read straight from the file: the PE headers lead to
// the resource directory, its three levels (type, name, language) to the
// version data, and that data's nodes to a string table.
#include "apprestrict/OriginalName.h"

#include "fw/Text.h"
#include "fw/UniqueHandle.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string_view>
#include <vector>

namespace {

constexpr WORD kVersionType = 16;           // RT_VERSION
constexpr WORD kMaxSections = 96;           // the format's own limit
constexpr DWORD kMaxEntries = 4096;         // per directory; real files have a few dozen
constexpr DWORD kMaxVersionBytes = 0xFFFF;  // a node's length is a 16-bit count
constexpr size_t kMaxTranslations = 16;
constexpr size_t kMaxNameChars = 259;

// Reads of one file at given offsets; a read that would pass its end fails.
class FileBytes {
public:
    explicit FileBytes(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}

    bool Read(ULONGLONG offset, void* out, DWORD bytes) const {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD read = 0;
        return file_ && ReadFile(file_.get(), out, bytes, &read, &at) && read == bytes;
    }
    template <typename T>
    bool Read(ULONGLONG offset, T& out) const {
        return Read(offset, &out, sizeof(out));
    }

private:
    UniqueFile file_;
};

// The image address of the resource directory, when the headers at `at`
// name one.
template <typename NtHeaders>
std::optional<DWORD> ResourceRoot(const FileBytes& file, ULONGLONG at) {
    NtHeaders nt{};
    if (!file.Read(at, nt)) return {};
    constexpr size_t kNeeded = offsetof(decltype(NtHeaders::OptionalHeader), DataDirectory) +
                               (IMAGE_DIRECTORY_ENTRY_RESOURCE + 1) * sizeof(IMAGE_DATA_DIRECTORY);
    const auto& optional = nt.OptionalHeader;
    if (optional.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_RESOURCE || nt.FileHeader.SizeOfOptionalHeader < kNeeded)
        return {};
    const DWORD root = optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE].VirtualAddress;
    return root ? std::optional<DWORD>(root) : std::nullopt;
}

// A PE file's resource tree. Offsets within the tree count from its root;
// image addresses go to the file through the section table.
class ResourceTree {
public:
    explicit ResourceTree(const FileBytes& file) : file_(file) {
        IMAGE_DOS_HEADER dos{};
        IMAGE_NT_HEADERS32 nt{};  // signature, file header and magic: common to both forms
        if (!file.Read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0 ||
            !file.Read(dos.e_lfanew, nt) || nt.Signature != IMAGE_NT_SIGNATURE)
            return;
        const WORD magic = nt.OptionalHeader.Magic;
        const auto root = magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC   ? ResourceRoot<IMAGE_NT_HEADERS64>(file, dos.e_lfanew)
                          : magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC ? ResourceRoot<IMAGE_NT_HEADERS32>(file, dos.e_lfanew)
                                                                   : std::nullopt;
        const WORD count = nt.FileHeader.NumberOfSections;
        if (!root || count == 0 || count > kMaxSections) return;
        sections_.resize(count);
        const ULONGLONG table = static_cast<ULONGLONG>(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                                nt.FileHeader.SizeOfOptionalHeader;
        if (file.Read(table, sections_.data(), count * sizeof(IMAGE_SECTION_HEADER)))
            root_ = *root;
        else
            sections_.clear();
    }

    // The bytes of the first resource of `type` (its first name, in its first
    // language), at most kMaxVersionBytes of them.
    std::vector<BYTE> FirstOfType(WORD type) const {
        DWORD offset = 0;
        for (int level = 0; level < 3; ++level) {
            const auto entry = Entry(offset, level == 0 ? std::optional<WORD>(type) : std::nullopt);
            if (!entry || entry->DataIsDirectory != (level < 2 ? 1u : 0u)) return {};
            offset = entry->OffsetToDirectory;
        }
        IMAGE_RESOURCE_DATA_ENTRY data{};
        if (!Read(offset, data)) return {};
        const auto at = FileOffset(data.OffsetToData);
        std::vector<BYTE> bytes(std::min(data.Size, kMaxVersionBytes));
        if (!at || bytes.empty() || !file_.Read(*at, bytes.data(), static_cast<DWORD>(bytes.size()))) return {};
        return bytes;
    }

private:
    std::optional<ULONGLONG> FileOffset(ULONGLONG address) const {
        for (const IMAGE_SECTION_HEADER& section : sections_)
            if (address >= section.VirtualAddress && address - section.VirtualAddress < section.SizeOfRawData)
                return section.PointerToRawData + (address - section.VirtualAddress);
        return {};
    }

    bool Read(ULONGLONG offset, void* out, DWORD bytes) const {
        const auto at = root_ ? FileOffset(root_ + offset) : std::nullopt;
        return at && file_.Read(*at, out, bytes);
    }
    template <typename T>
    bool Read(ULONGLONG offset, T& out) const {
        return Read(offset, &out, sizeof(out));
    }

    // The entry of the directory at `offset` with the numeric `id`, or its
    // first entry of any kind. Named entries come first, then numbered ones.
    std::optional<IMAGE_RESOURCE_DIRECTORY_ENTRY> Entry(DWORD offset, std::optional<WORD> id) const {
        IMAGE_RESOURCE_DIRECTORY directory{};
        if (!Read(offset, directory)) return {};
        std::vector<IMAGE_RESOURCE_DIRECTORY_ENTRY> entries(
            std::min<DWORD>(directory.NumberOfNamedEntries + directory.NumberOfIdEntries, kMaxEntries));
        const auto bytes = static_cast<DWORD>(entries.size() * sizeof(entries[0]));
        if (entries.empty() || !Read(ULONGLONG(offset) + sizeof(directory), entries.data(), bytes)) return {};
        if (!id) return entries.front();
        for (size_t i = directory.NumberOfNamedEntries; i < entries.size(); ++i)
            if (!entries[i].NameIsString && entries[i].Id == *id) return entries[i];
        return {};
    }

    const FileBytes& file_;
    DWORD root_ = 0;  // image address of the tree; 0 when there is none
    std::vector<IMAGE_SECTION_HEADER> sections_;
};

bool SameKey(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// One node of version data: its length, value length and type (16 bits
// each), a terminated key, then its value and its children, each starting on
// a 4-byte boundary. Offsets count from the data's start; a node is cut
// where its parent ends.
struct VersionNode {
    std::wstring_view key;
    size_t value;     // the value runs from here to `children`
    size_t children;  // the children run from here to `end`
    size_t end;
    size_t next;      // where the next sibling starts
};

class VersionInfo {
public:
    explicit VersionInfo(std::vector<BYTE> bytes) : bytes_(std::move(bytes)) {}

    // OriginalFilename, else InternalName, from the first declared string
    // table that gives one, else from the first table.
    std::wstring ProgramName() const {
        const auto root = NodeAt(0, bytes_.size());
        if (!root || !SameKey(root->key, L"VS_VERSION_INFO")) return {};
        std::vector<VersionNode> tables;
        std::vector<std::wstring> declared;
        for (const VersionNode& child : Children(*root)) {
            if (SameKey(child.key, L"StringFileInfo") && tables.empty()) tables = Children(child);
            if (!SameKey(child.key, L"VarFileInfo")) continue;
            for (const VersionNode& var : Children(child))
                if (SameKey(var.key, L"Translation")) AddTranslations(var, declared);
        }
        for (const std::wstring& key : declared)
            for (const VersionNode& table : tables)
                if (SameKey(table.key, key))
                    if (std::wstring name = NameIn(table); !name.empty()) return name;
        return tables.empty() ? std::wstring() : NameIn(tables.front());
    }

private:
    WORD Word(size_t at) const {
        WORD word;
        std::memcpy(&word, &bytes_[at], sizeof(word));
        return word;
    }
    static size_t Aligned(size_t offset) { return (offset + 3) & ~size_t{3}; }

    // The node at `at` (a 4-byte boundary), cut to `limit`; none when its
    // header or key does not fit.
    std::optional<VersionNode> NodeAt(size_t at, size_t limit) const {
        if (at >= limit || limit - at < 6) return {};
        const WORD length = Word(at);
        if (length < 6) return {};
        const size_t end = std::min(limit, at + length);
        size_t terminator = at + 6;
        while (terminator + 2 <= end && Word(terminator) != 0) terminator += 2;
        if (terminator + 2 > end) return {};
        const auto* key = reinterpret_cast<const wchar_t*>(&bytes_[at + 6]);
        const size_t valueBytes = Word(at + 4) == 1 ? Word(at + 2) * 2u : Word(at + 2);  // type 1: text, counted in characters
        const size_t value = std::min(Aligned(terminator + 2), end);
        return VersionNode{{key, (terminator - at - 6) / 2}, value, std::min(Aligned(value + valueBytes), end), end,
                           Aligned(at + length)};
    }

    // Each node is at least 8 bytes long, so this ends.
    std::vector<VersionNode> Children(const VersionNode& parent) const {
        std::vector<VersionNode> children;
        for (auto child = NodeAt(parent.children, parent.end); child; child = NodeAt(child->next, parent.end))
            children.push_back(*child);
        return children;
    }

    // Text values are read up to the node's end, whatever their length says:
    // producers disagree on whether it counts bytes or characters.
    std::wstring Text(const VersionNode& node) const {
        std::wstring text;
        for (size_t at = node.value; at + 2 <= node.end && text.size() < kMaxNameChars && Word(at); at += 2)
            text += static_cast<wchar_t>(Word(at));
        return text;
    }

    std::wstring NameIn(const VersionNode& table) const {
        std::wstring original, internal;
        for (const VersionNode& string : Children(table)) {
            if (SameKey(string.key, L"OriginalFilename")) original = Text(string);
            if (SameKey(string.key, L"InternalName")) internal = Text(string);
        }
        return original.empty() ? internal : original;
    }

    // Each translation is a language and a code page, 16 bits each; a string
    // table's key writes them as eight hex digits.
    void AddTranslations(const VersionNode& var, std::vector<std::wstring>& keys) const {
        for (size_t at = var.value; at + 4 <= var.children && keys.size() < kMaxTranslations; at += 4) {
            wchar_t key[9];
            swprintf(key, 9, L"%04x%04x", Word(at), Word(at + 2));
            keys.emplace_back(key);
        }
    }

    std::vector<BYTE> bytes_;
};

}  // namespace

std::wstring OriginalFileName(const std::wstring& path) {
    const FileBytes file(path);
    return ToLower(VersionInfo(ResourceTree(file).FirstOfType(kVersionType)).ProgramName());
}

std::wstring ProcessOriginalName(DWORD pid) {
    const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!process || !QueryFullProcessImageNameW(process.get(), 0, path, &size)) return {};
    return OriginalFileName(path);
}
