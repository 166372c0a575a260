#include "support/FakeAccessible.h"
#include "support/FakeBrowser.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

constexpr wchar_t kChromeUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Google Chrome";

BSTR Text(const std::wstring& text) {
    return text.empty() ? nullptr : SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

LRESULT CALLBACK FakeAccWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* root = reinterpret_cast<IAccessible*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_WINDOW && root)
        return LresultFromObject(IID_IAccessible, wParam, root);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

FakeAccessible::FakeAccessible(std::wstring name, std::wstring role, LONG state, std::wstring value)
    : self_{std::move(name), std::move(role), std::move(value), state} {}

LONG FakeAccessible::AddElement(std::wstring name, std::wstring role, LONG state, std::wstring value) {
    children_.push_back({nullptr, {std::move(name), std::move(role), std::move(value), state}});
    return static_cast<LONG>(children_.size());
}

LONG FakeAccessible::AddObject(FakeAccessible* child) {
    if (!child->parent_) child->parent_ = this;
    children_.push_back({child, {}});
    return static_cast<LONG>(children_.size());
}

const FakeAccessible::Texts* FakeAccessible::Element(const VARIANT& child) const {
    if (child.vt == VT_I4 && child.lVal == CHILDID_SELF) return &self_;
    if (child.vt == VT_I4 && child.lVal >= 1 && static_cast<size_t>(child.lVal) <= children_.size() &&
        !children_[child.lVal - 1].object)
        return &children_[child.lVal - 1].texts;
    if (child.vt == VT_I4 && static_cast<size_t>(child.lVal) > children_.size() && child.lVal <= Count())
        return &filler_;
    ADD_FAILURE() << "element asked for by " << child.vt << "/" << child.lVal << " of an object child or none";
    return nullptr;
}

HRESULT FakeAccessible::Unexpected(const char* method) const {
    ADD_FAILURE() << "unexpected " << method << " on a fake accessible object";
    return E_NOTIMPL;
}

STDMETHODIMP FakeAccessible::QueryInterface(REFIID iid, void** out) {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible)
        *out = static_cast<IAccessible*>(this);
    else if (iid == IID_IEnumVARIANT && hasEnumerator)
        *out = static_cast<IEnumVARIANT*>(this);
    else if (iid == IID_IOleWindow && window)
        *out = static_cast<IOleWindow*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) FakeAccessible::Release() {
    // The tree's own reference is never given back: one more release is a
    // fault in the code under test.
    if (references_ == 1) ADD_FAILURE() << "released once too often: " << testing::PrintToString(self_.name);
    else --references_;
    return static_cast<ULONG>(references_);
}

STDMETHODIMP FakeAccessible::get_accParent(IDispatch** parent) {
    *parent = parent_;
    if (!parent_) return S_FALSE;
    parent_->AddRef();
    return S_OK;
}

STDMETHODIMP FakeAccessible::get_accChildCount(long* count) {
    if (stallMs && release)
        WaitForSingleObject(release, stallMs);
    else if (stallMs)
        Sleep(stallMs);
    *count = Count();
    return S_OK;
}

STDMETHODIMP FakeAccessible::get_accChild(VARIANT child, IDispatch** object) {
    *object = nullptr;
    if (child.vt != VT_I4 || child.lVal < 1 || child.lVal > Count()) return E_INVALIDARG;
    FakeAccessible* found = static_cast<size_t>(child.lVal) <= children_.size() ? children_[child.lVal - 1].object
                                                                                 : nullptr;
    if (!found) return S_FALSE;
    found->AddRef();
    *object = static_cast<IAccessible*>(found);
    return S_OK;
}

STDMETHODIMP FakeAccessible::get_accName(VARIANT child, BSTR* name) {
    const Texts* texts = Element(child);
    return (*name = texts ? Text(texts->name) : nullptr) ? S_OK : S_FALSE;
}

STDMETHODIMP FakeAccessible::get_accValue(VARIANT child, BSTR* value) {
    const Texts* texts = Element(child);
    return (*value = texts ? Text(texts->value) : nullptr) ? S_OK : S_FALSE;
}

STDMETHODIMP FakeAccessible::get_accRole(VARIANT child, VARIANT* role) {
    const Texts* texts = Element(child);
    if (!texts) return E_INVALIDARG;
    if (numericRole && texts == &self_) {
        role->vt = VT_I4;
        role->lVal = numericRole;
    } else {
        role->vt = VT_BSTR;
        role->bstrVal = SysAllocStringLen(texts->role.data(), static_cast<UINT>(texts->role.size()));
    }
    return S_OK;
}

STDMETHODIMP FakeAccessible::get_accState(VARIANT child, VARIANT* state) {
    const Texts* texts = Element(child);
    if (!texts) return E_INVALIDARG;
    state->vt = VT_I4;
    state->lVal = texts->state;
    return S_OK;
}

STDMETHODIMP FakeAccessible::Next(ULONG count, VARIANT* items, ULONG* fetched) {
    ULONG given = 0;
    for (; given < count && position_ < static_cast<size_t>(Count()); ++given, ++position_) {
        VARIANT& item = items[given];
        FakeAccessible* object = position_ < children_.size() ? children_[position_].object : nullptr;
        if (object && !enumeratesIds) {
            object->AddRef();
            item.vt = VT_DISPATCH;
            item.pdispVal = static_cast<IAccessible*>(object);
        } else {
            item.vt = VT_I4;
            item.lVal = static_cast<LONG>(position_ + 1);
        }
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
}

FakeAccessible* FakeTree::Add(std::wstring name, std::wstring role, LONG state, std::wstring value) {
    nodes_.push_back(std::make_unique<FakeAccessible>(std::move(name), std::move(role), state, std::move(value)));
    return nodes_.back().get();
}

std::wstring FakeTree::Leaks() const {
    std::wstring leaks;
    for (const auto& node : nodes_)
        if (node->Outstanding() != 0) leaks += node->Name() + L"+" + std::to_wstring(node->Outstanding()) + L" ";
    return leaks;
}

UniqueWindow ServeAccWindow(const wchar_t* windowClass, IAccessible* root) {
    UniqueWindow window(CreatePlainWindow(windowClass, L"fake browser", nullptr));
    SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(root));
    SetWindowLongPtrW(window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FakeAccWindowProc));
    return window;
}

UniqueWindow OpenFakeAccWindow(const wchar_t* windowClass, FakeAccessible* root, const wchar_t* childClass) {
    UniqueWindow window = ServeAccWindow(windowClass, root);
    if (root) root->window = window.get();
    if (childClass) CreatePlainWindow(childClass, L"", window.get());
    return window;
}

ChromeRegistered::ChromeRegistered() {
    static const wchar_t version[] = L"100.0.4896.75";
    RegSetKeyValueW(HKEY_CURRENT_USER, kChromeUninstallKey, L"Version", REG_SZ, version, sizeof(version));
}

ChromeRegistered::~ChromeRegistered() { RegDeleteKeyW(HKEY_CURRENT_USER, kChromeUninstallKey); }

FakeAccThread::FakeAccThread(const wchar_t* windowClass, std::function<void(FakeTree&)> build,
                             const wchar_t* childClass) {
    const UniqueKernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_ = std::thread([&, windowClass, childClass, ready = ready.get()] {
        CoInitialize(nullptr);
        build(tree_);
        {
            const UniqueWindow window = OpenFakeAccWindow(windowClass, tree_.Root(), childClass);
            window_ = window.get();
            threadId_ = GetCurrentThreadId();
            SetEvent(ready);
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        }
        // Gives back the references the apartment's stubs held.
        CoUninitialize();
    });
    WaitForSingleObject(ready.get(), INFINITE);
}

FakeAccThread::~FakeAccThread() {
    EndAndLeaks();
}

std::wstring FakeAccThread::EndAndLeaks() {
    if (thread_.joinable()) {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    return tree_.Leaks();
}

std::string NoAnswerLine(const char* reader, HWND window) {
    char hex[16];
    std::snprintf(hex, sizeof(hex), "%08X", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(window)));
    return std::string("CRestrictAction::") + reader + " [No answer from window 0x" + hex + " within 1000 ms].";
}
