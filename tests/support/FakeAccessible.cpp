#include "support/FakeAccessible.h"

#include <gtest/gtest.h>

namespace {

BSTR Text(const std::wstring& text) {
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
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

STDMETHODIMP_(ULONG) FakeAccessible::AddRef() {
    return static_cast<ULONG>(++references_);
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
    *count = static_cast<long>(children_.size());
    return S_OK;
}

STDMETHODIMP FakeAccessible::get_accChild(VARIANT child, IDispatch** object) {
    *object = nullptr;
    if (child.vt != VT_I4 || child.lVal < 1 || static_cast<size_t>(child.lVal) > children_.size())
        return E_INVALIDARG;
    FakeAccessible* found = children_[child.lVal - 1].object;
    if (!found) return S_FALSE;
    found->AddRef();
    *object = static_cast<IAccessible*>(found);
    return S_OK;
}

STDMETHODIMP FakeAccessible::get_accName(VARIANT child, BSTR* name) {
    const Texts* texts = Element(child);
    *name = texts && !texts->name.empty() ? Text(texts->name) : nullptr;
    return *name ? S_OK : S_FALSE;
}

STDMETHODIMP FakeAccessible::get_accValue(VARIANT child, BSTR* value) {
    const Texts* texts = Element(child);
    *value = texts && !texts->value.empty() ? Text(texts->value) : nullptr;
    return *value ? S_OK : S_FALSE;
}

STDMETHODIMP FakeAccessible::get_accRole(VARIANT child, VARIANT* role) {
    const Texts* texts = Element(child);
    if (!texts) return E_INVALIDARG;
    if (numericRole && texts == &self_) {
        role->vt = VT_I4;
        role->lVal = numericRole;
    } else {
        role->vt = VT_BSTR;
        role->bstrVal = Text(texts->role);
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
    for (; given < count && position_ < children_.size(); ++given, ++position_) {
        VARIANT& item = items[given];
        FakeAccessible* object = children_[position_].object;
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

STDMETHODIMP FakeAccessible::Reset() {
    position_ = 0;
    return S_OK;
}

// WindowFromAccessibleObject first asks for the window this way (an
// internal direction, 10), then climbs the parents.
STDMETHODIMP FakeAccessible::accNavigate(long direction, VARIANT, VARIANT*) {
    return direction == 10 ? E_NOTIMPL : Unexpected("accNavigate");
}

STDMETHODIMP FakeAccessible::GetWindow(HWND* hwnd) {
    *hwnd = window;
    return S_OK;
}

// Nothing below has a place in reading a browser's address.
STDMETHODIMP FakeAccessible::GetTypeInfoCount(UINT*) { return Unexpected("GetTypeInfoCount"); }
STDMETHODIMP FakeAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**) { return Unexpected("GetTypeInfo"); }
STDMETHODIMP FakeAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return Unexpected("GetIDsOfNames");
}
STDMETHODIMP FakeAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return Unexpected("Invoke");
}
STDMETHODIMP FakeAccessible::get_accDescription(VARIANT, BSTR*) { return Unexpected("get_accDescription"); }
STDMETHODIMP FakeAccessible::get_accHelp(VARIANT, BSTR*) { return Unexpected("get_accHelp"); }
STDMETHODIMP FakeAccessible::get_accHelpTopic(BSTR*, VARIANT, long*) { return Unexpected("get_accHelpTopic"); }
STDMETHODIMP FakeAccessible::get_accKeyboardShortcut(VARIANT, BSTR*) {
    return Unexpected("get_accKeyboardShortcut");
}
STDMETHODIMP FakeAccessible::get_accFocus(VARIANT*) { return Unexpected("get_accFocus"); }
STDMETHODIMP FakeAccessible::get_accSelection(VARIANT*) { return Unexpected("get_accSelection"); }
STDMETHODIMP FakeAccessible::get_accDefaultAction(VARIANT, BSTR*) { return Unexpected("get_accDefaultAction"); }
STDMETHODIMP FakeAccessible::accSelect(long, VARIANT) { return Unexpected("accSelect"); }
STDMETHODIMP FakeAccessible::accLocation(long*, long*, long*, long*, VARIANT) { return Unexpected("accLocation"); }
STDMETHODIMP FakeAccessible::accHitTest(long, long, VARIANT*) { return Unexpected("accHitTest"); }
STDMETHODIMP FakeAccessible::accDoDefaultAction(VARIANT) { return Unexpected("accDoDefaultAction"); }
STDMETHODIMP FakeAccessible::put_accName(VARIANT, BSTR) { return Unexpected("put_accName"); }
STDMETHODIMP FakeAccessible::put_accValue(VARIANT, BSTR) { return Unexpected("put_accValue"); }
STDMETHODIMP FakeAccessible::Skip(ULONG) { return Unexpected("Skip"); }
STDMETHODIMP FakeAccessible::Clone(IEnumVARIANT**) { return Unexpected("Clone"); }
STDMETHODIMP FakeAccessible::ContextSensitiveHelp(BOOL) { return Unexpected("ContextSensitiveHelp"); }

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

FakeAccWindow::FakeAccWindow(const wchar_t* windowClass, FakeAccessible* root, const wchar_t* childClass) {
    for (const wchar_t* name : {windowClass, childClass}) {
        if (!name) continue;
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = name;
        RegisterClassW(&wc);  // fails harmlessly once registered
    }
    hwnd_ = CreateWindowExW(0, windowClass, L"fake browser", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 400, 300,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(root));
    if (root) root->window = hwnd_;
    if (childClass)
        CreateWindowExW(0, childClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 30, hwnd_, nullptr,
                        GetModuleHandleW(nullptr), nullptr);
}

FakeAccWindow::~FakeAccWindow() {
    DestroyWindow(hwnd_);
}

LRESULT CALLBACK FakeAccWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* root = reinterpret_cast<FakeAccessible*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_WINDOW && root)
        return LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(root));
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
