// One owner for every kind of platform handle. Each kind is a traits class
// naming its type, its invalid value and how it is closed.
#pragma once

#include <windows.h>
#include <ddeml.h>
#include <wininet.h>

#include <utility>

template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Type value) noexcept : value_(value) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Type get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::Invalid(); }

    // Closes what is held. Keeps GetLastError: callers read it after reset.
    void reset(Type value = Traits::Invalid()) noexcept {
        if (value_ != Traits::Invalid()) {
            const DWORD error = GetLastError();
            Traits::Close(value_);
            SetLastError(error);
        }
        value_ = value;
    }

    [[nodiscard]] Type release() noexcept { return std::exchange(value_, Traits::Invalid()); }

    // For out-parameters: closes what is held and hands out its slot.
    Type* put() noexcept {
        reset();
        return &value_;
    }

private:
    Type value_ = Traits::Invalid();
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { CloseHandle(h); }
};

struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { CloseHandle(h); }
};

struct RegKeyTraits {
    using Type = HKEY;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { RegCloseKey(h); }
};

struct LibraryTraits {
    using Type = HMODULE;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { FreeLibrary(h); }
};

struct WindowTraits {
    using Type = HWND;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { DestroyWindow(h); }
};

struct LocalMemoryTraits {
    using Type = HLOCAL;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { LocalFree(h); }
};

struct HookTraits {
    using Type = HHOOK;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { UnhookWindowsHookEx(h); }
};

// An out-of-context event hook. Windows removes one only on the thread that
// installed it; Wine from any thread.
struct WinEventHookTraits {
    using Type = HWINEVENTHOOK;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { UnhookWinEvent(h); }
};

struct InternetTraits {
    using Type = HINTERNET;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { InternetCloseHandle(h); }
};

// A DDE instance identifier; ending it also ends its conversations.
struct DdeInstanceTraits {
    using Type = DWORD;
    static Type Invalid() noexcept { return 0; }
    static void Close(Type id) noexcept { DdeUninitialize(id); }
};

struct DdeConversationTraits {
    using Type = HCONV;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { DdeDisconnect(h); }
};

struct DdeDataTraits {
    using Type = HDDEDATA;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { DdeFreeDataHandle(h); }
};

// Holds a lock taken by GlobalLock on a memory handle the caller does not own.
struct GlobalLockTraits {
    using Type = HGLOBAL;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { GlobalUnlock(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;  // process, thread, event
using UniqueFile = UniqueHandle<FileHandleTraits>;            // files, snapshots
using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueLibrary = UniqueHandle<LibraryTraits>;
using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits>;  // ACLs, security descriptors
using UniqueHook = UniqueHandle<HookTraits>;
using UniqueWinEventHook = UniqueHandle<WinEventHookTraits>;
using UniqueInternet = UniqueHandle<InternetTraits>;
using UniqueDdeInstance = UniqueHandle<DdeInstanceTraits>;
using UniqueDdeConversation = UniqueHandle<DdeConversationTraits>;
using UniqueDdeData = UniqueHandle<DdeDataTraits>;
using UniqueGlobalLock = UniqueHandle<GlobalLockTraits>;

// A DDE string handle: freeing it needs the instance that made it, so this
// owner keeps the instance identifier beside the handle. The instance must
// outlive it.
class UniqueDdeString {
public:
    UniqueDdeString(DWORD instance, HSZ hsz) noexcept : instance_(instance), hsz_(hsz) {}
    UniqueDdeString(const UniqueDdeString&) = delete;
    UniqueDdeString& operator=(const UniqueDdeString&) = delete;
    ~UniqueDdeString() {
        if (hsz_) DdeFreeStringHandle(instance_, hsz_);
    }

    HSZ get() const noexcept { return hsz_; }

private:
    DWORD instance_;
    HSZ hsz_;
};
