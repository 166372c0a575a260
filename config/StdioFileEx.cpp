#include "config/StdioFileEx.h"

#include <algorithm>
#include <vector>

namespace {

constexpr DWORD kReadChunk = 256;

DWORD Disposition(UINT flags) {
    if (!(flags & CStdioFileEx::modeCreate)) return OPEN_EXISTING;
    return (flags & CStdioFileEx::modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
}

UniqueFile OpenForReading(const wchar_t* path) {
    return UniqueFile(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The file's first `size` bytes, read in small chunks; fewer on a read error.
std::vector<BYTE> ReadHead(HANDLE file, DWORD size) {
    std::vector<BYTE> bytes(size);
    DWORD total = 0;
    while (total < size) {
        DWORD read = 0;
        if (!ReadFile(file, bytes.data() + total, std::min(kReadChunk, size - total), &read, nullptr) || read == 0)
            break;
        total += read;
    }
    bytes.resize(total);
    return bytes;
}

}  // namespace

CStdioFileEx::~CStdioFileEx() {
    Close();
}

BOOL CStdioFileEx::Open(const wchar_t* path, UINT flags) {
    auto lock = m_Lock.Lock();
    if (!(flags & (modeWrite | typeBinary)) && !DetectTextEncoding(path, m_bHasBOM, m_bUnicode, m_bBigEndian, m_nCodePage))
        return FALSE;
    m_File.reset(CreateFileW(path, (flags & modeWrite) ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, Disposition(flags),
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_File) return FALSE;
    m_bOpen = TRUE;
    if (!(flags & modeWrite) && m_bHasBOM) {
        LARGE_INTEGER bomSize{};
        bomSize.QuadPart = m_bUnicode ? 2 : 3;
        SetFilePointerEx(m_File.get(), bomSize, nullptr, FILE_BEGIN);
    }
    return TRUE;
}

BOOL CStdioFileEx::WriteBOM() {
    auto lock = m_Lock.Lock();
    LARGE_INTEGER size{};
    if (GetFileSizeEx(m_File.get(), &size) && size.QuadPart == 0) {
        static const BYTE kBom[] = {0xFF, 0xFE};
        DWORD written = 0;
        WriteFile(m_File.get(), kBom, sizeof(kBom), &written, nullptr);
    }
    return TRUE;
}

BOOL CStdioFileEx::Close() {
    auto lock = m_Lock.Lock();
    if (m_bOpen) {
        m_File.reset();
        m_bOpen = FALSE;
    }
    return TRUE;
}

BOOL DetectTextEncoding(const wchar_t* path, BOOL& hasBOM, BOOL& unicode, BOOL& bigEndian, UINT& codePage) {
    hasBOM = unicode = bigEndian = FALSE;
    codePage = 0;
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return FALSE;
    UniqueFile file = OpenForReading(path);
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart < 2) return TRUE;

    const DWORD length = size.QuadPart > kMaxDetectBytes ? kMaxDetectBytes : static_cast<DWORD>(size.QuadPart);
    const std::vector<BYTE> bytes = ReadHead(file.get(), length);
    if (bytes.size() < 2) return TRUE;
    if (bytes[0] == 0xFE && bytes[1] == 0xFF) {
        hasBOM = unicode = bigEndian = TRUE;
    } else if (bytes[0] == 0xFF && bytes[1] == 0xFE) {
        hasBOM = unicode = TRUE;
    } else if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        hasBOM = TRUE;
        codePage = CP_UTF8;
    } else {
        int nullTest = IS_TEXT_UNICODE_NULL_BYTES;
        int statisticsTest = IS_TEXT_UNICODE_STATISTICS;
        if (IsTextUnicode(bytes.data(), static_cast<int>(bytes.size()), &nullTest)) {
            unicode = TRUE;
            bigEndian = !IsTextUnicode(bytes.data(), static_cast<int>(bytes.size()), &statisticsTest);
        } else if (!IsCodePageText(CP_ACP, bytes.data(), bytes.size()) && IsCodePageText(CP_UTF8, bytes.data(), bytes.size())) {
            codePage = CP_UTF8;
        }
    }
    return TRUE;
}

BOOL IsCodePageText(UINT codePage, const BYTE* bytes, size_t length) {
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes),
                                      static_cast<int>(length), nullptr, 0);
    return n != 0 || GetLastError() != ERROR_NO_UNICODE_TRANSLATION;
}
