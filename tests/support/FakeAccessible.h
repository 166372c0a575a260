// Hand-written accessible trees shaped like a browser's, served from a real
// window of this thread on WM_GETOBJECT. Strict: any call a reader has no
// business making fails the test. Every node counts its references so that
// a test can tell a leaked or doubly released reference.
#pragma once

#include "fw/UniqueHandle.h"
#include "support/AccessibleStubs.h"

#include <windows.h>

#include <oleacc.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// The methods of the other interfaces no reader has a use for.
#define FAKE_UNEXPECTED(method, ...) \
    STDMETHODIMP method(__VA_ARGS__) override { return Unexpected(#method); }

// One accessible object. Simple child elements are addressed by the
// identifiers 1..n, like object children; roles are given as text because
// the platform's role texts differ between Windows and Wine.
class FakeAccessible : public AccessibleStubs, public IEnumVARIANT, public IOleWindow {
public:
    FakeAccessible(std::wstring name, std::wstring role, LONG state, std::wstring value);

    // A simple element; returns its child identifier.
    LONG AddElement(std::wstring name, std::wstring role, LONG state = 0, std::wstring value = L"");
    // An object child. Its parent becomes this unless it has one (a link
    // back up the tree keeps the real parent).
    LONG AddObject(FakeAccessible* child);

    bool hasEnumerator = true;     // IEnumVARIANT
    bool enumeratesIds = false;    // the enumerator gives object children as VT_I4
    LONG numericRole = 0;          // when set, the role is this number
    HWND window = nullptr;         // IOleWindow when set
    // When more than the children added, the count reported; the children
    // beyond are simple elements "Filler".
    LONG claimedChildren = 0;
    // get_accChildCount first waits this long, or until `release` is set:
    // a browser that is slow, or that stopped answering.
    DWORD stallMs = 0;
    HANDLE release = nullptr;
    const std::wstring& Name() const { return self_.name; }
    // References beyond the one the tree holds.
    LONG Outstanding() const { return references_ - 1; }

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
    // WindowFromAccessibleObject first asks for the window this way (an
    // internal direction, 10), then climbs the parents.
    STDMETHODIMP accNavigate(long direction, VARIANT, VARIANT*) override {
        return direction == 10 ? E_NOTIMPL : Unexpected("accNavigate");
    }
    STDMETHODIMP Next(ULONG count, VARIANT* items, ULONG* fetched) override;
    STDMETHODIMP Reset() override { position_ = 0; return S_OK; }
    STDMETHODIMP GetWindow(HWND* hwnd) override { *hwnd = window; return S_OK; }

    FAKE_UNEXPECTED(Skip, ULONG)
    FAKE_UNEXPECTED(Clone, IEnumVARIANT**)
    FAKE_UNEXPECTED(ContextSensitiveHelp, BOOL)

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
    HRESULT Unexpected(const char* method) const override;
    LONG Count() const { return std::max(static_cast<LONG>(children_.size()), claimedChildren); }

    Texts self_;
    const Texts filler_{L"Filler", L"text", L"", 0};
    std::vector<Child> children_;
    FakeAccessible* parent_ = nullptr;
    size_t position_ = 0;
    LONG references_ = 1;
};
#undef FAKE_UNEXPECTED

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
// `root` for the window itself (OBJID_WINDOW).
UniqueWindow ServeAccWindow(const wchar_t* windowClass, IAccessible* root);
// The same for a fake tree, whose root then answers
// IOleWindow with this window. `childClass`, when given, names the class
// of a first child window.
UniqueWindow OpenFakeAccWindow(const wchar_t* windowClass, FakeAccessible* root, const wchar_t* childClass = nullptr);

// Chrome registered as its installer does, in this process's registry: the
// URL check then reads a Chrome window's own accessible tree. Undone at the
// end.
class ChromeRegistered {
public:
    ChromeRegistered();
    ~ChromeRegistered();
    ChromeRegistered(const ChromeRegistered&) = delete;
    ChromeRegistered& operator=(const ChromeRegistered&) = delete;
};

// A fake browser window whose tree is served from a thread of its own, as a
// browser serves it from its process: the reader's calls into it go through
// COM proxies, and a stalled call leaves the thread not answering.
// `build` adds the tree's nodes, root first, on that thread.
class FakeAccThread {
public:
    FakeAccThread(const wchar_t* windowClass, std::function<void(FakeTree&)> build, const wchar_t* childClass = nullptr);
    ~FakeAccThread();
    FakeAccThread(const FakeAccThread&) = delete;
    FakeAccThread& operator=(const FakeAccThread&) = delete;

    HWND hwnd() const { return window_; }
    // Ends the thread (its window, its apartment), then names the nodes
    // still referenced, as FakeTree::Leaks.
    std::wstring EndAndLeaks();

private:
    FakeTree tree_;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
    std::thread thread_;
};

// The error line a reader ("GetChromeURL", "GetEdgeURL") logs once when
// `window` did not answer within the read's deadline.
std::string NoAnswerLine(const char* reader, HWND window);
