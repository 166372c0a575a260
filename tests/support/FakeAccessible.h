// Hand-written accessible trees shaped like a browser's, served from a real
// window of this thread on WM_GETOBJECT. Strict: any call a reader has no
// business making fails the test. Every node counts its references so that
// a test can tell a leaked or doubly released reference.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <memory>
#include <string>
#include <vector>

// One accessible object. Simple child elements are addressed by the
// identifiers 1..n, like object children; roles are given as text because
// the platform's role texts differ between Windows and Wine.
class FakeAccessible : public IAccessible, public IEnumVARIANT, public IOleWindow {
public:
    FakeAccessible(std::wstring name, std::wstring role, LONG state, std::wstring value);
    virtual ~FakeAccessible() = default;

    // A simple element; returns its child identifier.
    LONG AddElement(std::wstring name, std::wstring role, LONG state = 0, std::wstring value = L"");
    // An object child. Its parent becomes this unless it has one (a link
    // back up the tree keeps the real parent).
    LONG AddObject(FakeAccessible* child);

    bool hasEnumerator = true;     // IEnumVARIANT
    bool enumeratesIds = false;    // the enumerator gives object children as VT_I4
    LONG numericRole = 0;          // when set, the role is this number
    HWND window = nullptr;         // IOleWindow when set
    const std::wstring& Name() const { return self_.name; }
    // References beyond the one the tree holds.
    LONG Outstanding() const { return references_ - 1; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT*) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** parent) override;
    STDMETHODIMP get_accChildCount(long* count) override;
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override;
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override;
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override;
    STDMETHODIMP get_accDescription(VARIANT, BSTR*) override;
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override;
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override;
    STDMETHODIMP get_accHelp(VARIANT, BSTR*) override;
    STDMETHODIMP get_accHelpTopic(BSTR*, VARIANT, long*) override;
    STDMETHODIMP get_accKeyboardShortcut(VARIANT, BSTR*) override;
    STDMETHODIMP get_accFocus(VARIANT*) override;
    STDMETHODIMP get_accSelection(VARIANT*) override;
    STDMETHODIMP get_accDefaultAction(VARIANT, BSTR*) override;
    STDMETHODIMP accSelect(long, VARIANT) override;
    STDMETHODIMP accLocation(long*, long*, long*, long*, VARIANT) override;
    STDMETHODIMP accNavigate(long, VARIANT, VARIANT*) override;
    STDMETHODIMP accHitTest(long, long, VARIANT*) override;
    STDMETHODIMP accDoDefaultAction(VARIANT) override;
    STDMETHODIMP put_accName(VARIANT, BSTR) override;
    STDMETHODIMP put_accValue(VARIANT, BSTR) override;
    // IEnumVARIANT
    STDMETHODIMP Next(ULONG count, VARIANT* items, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumVARIANT**) override;
    // IOleWindow
    STDMETHODIMP GetWindow(HWND* hwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override;

private:
    struct Texts {
        std::wstring name, role, value;
        LONG state;
    };
    struct Child {
        FakeAccessible* object;  // null: a simple element
        Texts texts;
    };
    // The texts `child` stands for; null (and a failed test) for anything
    // but 0 or a simple element.
    const Texts* Element(const VARIANT& child) const;
    HRESULT Unexpected(const char* method) const;

    Texts self_;
    std::vector<Child> children_;
    FakeAccessible* parent_ = nullptr;
    size_t position_ = 0;
    LONG references_ = 1;
};

// Owns the nodes of one tree; the first node made is the root.
class FakeTree {
public:
    FakeAccessible* Add(std::wstring name, std::wstring role, LONG state = 0, std::wstring value = L"");
    FakeAccessible* Root() const { return nodes_.front().get(); }
    // Names of nodes holding references beyond the tree's, with the count.
    std::wstring Leaks() const;

private:
    std::vector<std::unique_ptr<FakeAccessible>> nodes_;
};

// A visible top-level window of this thread whose WM_GETOBJECT serves
// `root` for the window itself (OBJID_WINDOW); the root answers
// IOleWindow with this window. `childClass`, when given, names the class
// of a first child window.
class FakeAccWindow {
public:
    FakeAccWindow(const wchar_t* windowClass, FakeAccessible* root, const wchar_t* childClass = nullptr);
    ~FakeAccWindow();
    FakeAccWindow(const FakeAccWindow&) = delete;
    FakeAccWindow& operator=(const FakeAccWindow&) = delete;
    HWND hwnd() const { return hwnd_; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};
