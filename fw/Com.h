// Owners for COM references, BSTR texts and VARIANTs, and for the thread's
// COM initialisation. Accessibility objects may be proxies into a browser
// process: a reference left behind keeps that process's object alive.
#pragma once

#include "fw/UniqueHandle.h"

#include <oleauto.h>
#include <unknwn.h>

template <typename Interface>
struct ComTraits {
    using Type = Interface*;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type p) noexcept { p->Release(); }
};

struct BstrTraits {
    using Type = BSTR;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type s) noexcept { SysFreeString(s); }
};

template <typename Interface>
using ComPtr = UniqueHandle<ComTraits<Interface>>;
using UniqueBstr = UniqueHandle<BstrTraits>;

// A new reference to `object` through `Interface`, empty when it has none.
template <typename Interface>
ComPtr<Interface> QueryAs(IUnknown* object) {
    ComPtr<Interface> result;
    if (object) object->QueryInterface(__uuidof(Interface), reinterpret_cast<void**>(result.put()));
    return result;
}

// A new reference to an object the caller does not own.
template <typename Interface>
ComPtr<Interface> AddRefTo(Interface* object) {
    if (object) object->AddRef();
    return ComPtr<Interface>(object);
}

// A VARIANT cleared (its reference or text released) when it goes.
class UniqueVariant {
public:
    UniqueVariant() noexcept { VariantInit(&value_); }
    explicit UniqueVariant(LONG childId) noexcept : UniqueVariant() {
        value_.vt = VT_I4;
        value_.lVal = childId;
    }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantClear(&value_); }

    const VARIANT& get() const noexcept { return value_; }
    // For out-parameters: clears what is held and hands out the slot.
    VARIANT* put() noexcept {
        VariantClear(&value_);
        return &value_;
    }
    // Copies `other` (a reference it holds is shared, a text duplicated).
    void CopyFrom(const VARIANT& other) noexcept {
        // Some SDKs declare the source non-const; it is only read.
        VariantCopy(put(), const_cast<VARIANT*>(&other));
    }

private:
    VARIANT value_;
};

// CoInitialize for one scope; undone only when it succeeded, so a thread
// already in another apartment kind is left as it was.
class ComInit {
public:
    ComInit() noexcept : result_(CoInitialize(nullptr)) {}
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;
    ~ComInit() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }

private:
    HRESULT result_;
};
