// Browser-shaped accessible trees. Strict: an unneeded call, a bad element or a reference miscounted is a fault.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

class FakeTree;

// Older browsers' readers compare role texts.
struct Role {
    Role(LONG number) : number(number) {}
    Role(const wchar_t* text) : text(text) {}
    LONG number = 0;
    std::wstring text;
};

#define FAKE_UNEXPECTED(method, ...) \
    STDMETHODIMP method(__VA_ARGS__) override { return Unexpected(#method); }

class FakeNode : public IAccessible, public IEnumVARIANT {
public:
    FakeNode(FakeTree& tree, std::wstring name, Role role, LONG state, std::wstring value)
        : tree_(tree), self_{std::move(name), std::move(role), state, std::move(value)} {}

    FakeNode* Add(std::wstring name, Role role, LONG state = 0, std::wstring value = L"");
    // A node that has a parent keeps it: a link back makes a cycle.
    FakeNode* AddObject(FakeNode* child);
    void AddElement(std::wstring name, Role role, LONG state = 0, std::wstring value = L"");

    bool hasEnumerator = true;
    bool enumeratesIds = false;  // object children enumerated as VT_I4
    // get_accChildCount first waits this long, or until `release` is set.
    DWORD stallMs = 0;
    HANDLE release = nullptr;
    // Until set, the node has focus and its value ends in a suggestion's label.
    HANDLE focusUntil = nullptr;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references_); }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP get_accParent(IDispatch** parent) override;
    STDMETHODIMP get_accChildCount(long* count) override;
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override;
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override;
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override;
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override;
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override;
    STDMETHODIMP Next(ULONG count, VARIANT* items, ULONG* fetched) override;
    STDMETHODIMP Reset() override { position_ = 0; return S_OK; }

    FAKE_UNEXPECTED(GetTypeInfoCount, UINT*)
    FAKE_UNEXPECTED(GetTypeInfo, UINT, LCID, ITypeInfo**)
    FAKE_UNEXPECTED(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
    FAKE_UNEXPECTED(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
    FAKE_UNEXPECTED(get_accDescription, VARIANT, BSTR*)
    FAKE_UNEXPECTED(get_accHelp, VARIANT, BSTR*)
    FAKE_UNEXPECTED(get_accHelpTopic, BSTR*, VARIANT, long*)
    FAKE_UNEXPECTED(get_accKeyboardShortcut, VARIANT, BSTR*)
    FAKE_UNEXPECTED(get_accFocus, VARIANT*)
    FAKE_UNEXPECTED(get_accSelection, VARIANT*)
    FAKE_UNEXPECTED(get_accDefaultAction, VARIANT, BSTR*)
    FAKE_UNEXPECTED(accSelect, long, VARIANT)
    FAKE_UNEXPECTED(accLocation, long*, long*, long*, long*, VARIANT)
    FAKE_UNEXPECTED(accNavigate, long, VARIANT, VARIANT*)
    FAKE_UNEXPECTED(accHitTest, long, long, VARIANT*)
    FAKE_UNEXPECTED(accDoDefaultAction, VARIANT)
    FAKE_UNEXPECTED(put_accName, VARIANT, BSTR)
    FAKE_UNEXPECTED(put_accValue, VARIANT, BSTR)
    FAKE_UNEXPECTED(Skip, ULONG)
    FAKE_UNEXPECTED(Clone, IEnumVARIANT**)

private:
    friend class FakeTree;
    struct Texts {
        std::wstring name;
        Role role;
        LONG state;
        std::wstring value;
    };
    const Texts* Element(const VARIANT& child);  // null (a fault) for no element
    HRESULT Unexpected(const char* method);
    bool Focused() const { return focusUntil && WaitForSingleObject(focusUntil, 0) == WAIT_TIMEOUT; }
    LONG Count() const { return static_cast<LONG>(children_.size()); }

    struct Child {
        FakeNode* object;  // null: a simple element, one of the child ids 1..n
        Texts texts;
    };

    FakeTree& tree_;
    Texts self_;
    std::vector<Child> children_;
    FakeNode* parent_ = nullptr;
    size_t position_ = 0;
    LONG references_ = 1;  // the tree's own
};
#undef FAKE_UNEXPECTED

// The first node made is the root.
class FakeTree {
public:
    FakeNode* Add(std::wstring name, Role role, LONG state = 0, std::wstring value = L"");
    FakeNode* Root() { return &nodes_.front(); }
    std::wstring Faults() const;

private:
    friend class FakeNode;
    std::deque<FakeNode> nodes_;
    std::wstring faults_;
};

// A browser's tree whose address field shows `address`; false for an unknown shape.
bool AddBrowserShape(FakeTree& tree, const wchar_t* shape, const std::wstring& address, HANDLE focusUntil = nullptr);
