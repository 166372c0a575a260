// Accessible trees shaped like a browser's, for a window to serve on
// WM_GETOBJECT: in the test process, or in the stand-in program as a
// browser serves its own (then read through COM proxies). Strict: a call no
// reader has a use for, an element asked for that is none, a reference given
// back once too often or still held is a fault the tree reports. Free of the
// test framework, for the stand-in program.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <deque>
#include <string>
#include <vector>

class FakeTree;

// A role as the platform's number, or as text: the readers of older
// browsers compare role texts, which differ between Windows and Wine.
struct Role {
    Role(LONG number) : number(number) {}
    Role(const wchar_t* text) : text(text) {}
    LONG number = 0;
    std::wstring text;
};

#define FAKE_UNEXPECTED(method, ...) \
    STDMETHODIMP method(__VA_ARGS__) override { return Unexpected(#method); }

// One accessible object. Its simple elements are the child identifiers 1..n.
class FakeNode : public IAccessible, public IEnumVARIANT {
public:
    FakeNode(FakeTree& tree, std::wstring name, Role role, LONG state, std::wstring value);

    // An object child, made in the same tree.
    FakeNode* Add(std::wstring name, Role role, LONG state = 0, std::wstring value = L"");
    // An object child of the tree; a node that has a parent keeps it (a link
    // back up makes a cycle).
    FakeNode* AddObject(FakeNode* child);
    void AddElement(std::wstring name, Role role, LONG state = 0, std::wstring value = L"");

    bool hasEnumerator = true;   // IEnumVARIANT
    bool enumeratesIds = false;  // the enumerator gives object children as VT_I4
    // When more than the children added, the count reported; those beyond
    // are simple elements "Filler".
    LONG claimedChildren = 0;
    // get_accChildCount first waits this long, or until `release` is set: a
    // browser that is slow, or that stopped answering.
    DWORD stallMs = 0;
    HANDLE release = nullptr;
    // Until this event is set the element has focus and shows a
    // suggestion's label after its value, as a field being typed in.
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
    // The texts `child` stands for: the node itself, a simple element or a
    // filler; null (a fault) for anything else.
    const Texts* Element(const VARIANT& child);
    HRESULT Unexpected(const char* method);
    bool Focused() const { return focusUntil && WaitForSingleObject(focusUntil, 0) == WAIT_TIMEOUT; }
    LONG Count() const;

    struct Child {
        FakeNode* object;  // null: a simple element
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

// Owns the nodes of one tree; the first node made is the root.
class FakeTree {
public:
    FakeNode* Add(std::wstring name, Role role, LONG state = 0, std::wstring value = L"");
    FakeNode* Root() { return &nodes_.front(); }
    // The faults seen, then the nodes still holding references beyond the
    // tree's own: empty when every reader behaved.
    std::wstring Faults() const;

private:
    friend class FakeNode;
    std::deque<FakeNode> nodes_;  // never moves what it holds
    std::wstring faults_;
};

// Builds the tree of a browser `shape`, whose address field shows
// `address`; false for an unknown shape. Roles are numbers unless said:
//   "edge", "brave"    Chromium named in French, Chinese: tab strip, toolbar
//                      with a location group around the field, page
//   "tabs"             the same with 2,000 elements in its tab strip
//   "long"             2,000 elements that are no tab strip ahead, field last
//   "firefox"          tabs toolbar, navigation toolbar whose combo box holds
//                      the field, page
//   "page"             a find bar's field, a page holding its own toolbar and
//                      field, then the browser's toolbar and field
//   "chrome-legacy"    toolbar and field by text, as older Chrome's reader
//                      knows it ("Address and search bar", "editable text")
//   "edge-legacy"      the same, as older Edge's (Japanese texts)
// With `focusUntil`, the field is typed in until that event is set.
bool AddBrowserShape(FakeTree& tree, const wchar_t* shape, const std::wstring& address, HANDLE focusUntil = nullptr);
