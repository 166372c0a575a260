// A binary file opened, stamped with a UTF-16LE byte-order mark and closed
// safely from several threads, plus the detection of a text file's encoding
// that a read-mode open runs first.
#pragma once

#include "fw/CriticalSection.h"
#include "fw/UniqueHandle.h"

#include <windows.h>

class CStdioFileEx {
public:
    // Open flags, with the values of the framework's file class.
    enum : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeBinary = 0x8000,
    };

    CStdioFileEx() = default;
    CStdioFileEx(const CStdioFileEx&) = delete;
    CStdioFileEx& operator=(const CStdioFileEx&) = delete;
    virtual ~CStdioFileEx();

    // Other processes may always read and write the file meanwhile.
    // A text-mode read open detects the encoding first and then stands
    // after the byte-order mark. FALSE when the file cannot be opened.
    BOOL Open(const wchar_t* path, UINT flags);
    // Writes FF FE, but only into an empty file.
    BOOL WriteBOM();
    // Closes at most once; always TRUE.
    BOOL Close();

private:
    CriticalSection m_Lock;
    UniqueFile m_File;
    BOOL m_bOpen = FALSE;
    BOOL m_bHasBOM = FALSE;
    BOOL m_bUnicode = FALSE;
    BOOL m_bBigEndian = FALSE;
    UINT m_nCodePage = 0;  // 0: ANSI code page, CP_UTF8: UTF-8
};

// FALSE only when no file exists at `path`; the outputs are then 0, as they
// are for a file that exists but cannot be read. Only the first
// kMaxDetectBytes bytes of a longer file are looked at.
BOOL DetectTextEncoding(const wchar_t* path, BOOL& hasBOM, BOOL& unicode, BOOL& bigEndian, UINT& codePage);

// FALSE only when the bytes hold a sequence invalid in `codePage`.
BOOL IsCodePageText(UINT codePage, const BYTE* bytes, size_t length);

constexpr DWORD kMaxDetectBytes = 1024 * 1024;
