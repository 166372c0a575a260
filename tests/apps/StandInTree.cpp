#include "StandInTree.h"

#include "support/AccessibleStubs.h"

#include <deque>
#include <string>
#include <vector>

namespace {

// One element. Nodes live as long as the process, so references handed
// out are not counted.
class Node : public AccessibleStubs {
public:
    Node(Node* parent, LONG role, std::wstring name, std::wstring value, LONG state)
        : parent_(parent), role_(role), state_(state), name_(std::move(name)), value_(std::move(value)) {}

    HANDLE focusUntil = nullptr;

    Node* Add(LONG role, std::wstring name = L"", std::wstring value = L"", LONG state = 0);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid != __uuidof(IUnknown) && iid != __uuidof(IDispatch) && iid != __uuidof(IAccessible))
            return E_NOINTERFACE;
        *out = static_cast<IAccessible*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP get_accParent(IDispatch** parent) override {
        *parent = parent_;
        return parent_ ? S_OK : S_FALSE;
    }
    STDMETHODIMP get_accChildCount(long* count) override {
        *count = static_cast<long>(children_.size());
        return S_OK;
    }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override {
        *object = nullptr;
        if (child.vt != VT_I4 || child.lVal < 1 || static_cast<size_t>(child.lVal) > children_.size())
            return E_INVALIDARG;
        *object = children_[child.lVal - 1];
        return S_OK;
    }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override { return Text(child, name_, name); }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
        return Text(child, Focused() ? value_ + L" location from history" : value_, value);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override { return Number(child, role_, role); }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        return Number(child, state_ | (Focused() ? STATE_SYSTEM_FOCUSED : 0), state);
    }

private:
    HRESULT Unexpected(const char*) const override { return E_NOTIMPL; }
    bool Focused() const { return focusUntil && WaitForSingleObject(focusUntil, 0) == WAIT_TIMEOUT; }

    // Only the element itself is asked about: it has no simple children.
    static HRESULT Text(const VARIANT& child, const std::wstring& text, BSTR* out) {
        *out = nullptr;
        if (child.vt != VT_I4 || child.lVal != CHILDID_SELF) return E_INVALIDARG;
        if (text.empty()) return S_FALSE;
        *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return S_OK;
    }
    static HRESULT Number(const VARIANT& child, LONG number, VARIANT* out) {
        VariantInit(out);
        if (child.vt != VT_I4 || child.lVal != CHILDID_SELF) return E_INVALIDARG;
        out->vt = VT_I4;
        out->lVal = number;
        return S_OK;
    }

    Node* parent_;
    LONG role_, state_;
    std::wstring name_, value_;
    std::vector<IDispatch*> children_;
};

std::deque<Node> g_nodes;  // a deque never moves what it holds

Node* Node::Add(LONG role, std::wstring name, std::wstring value, LONG state) {
    Node* child = &g_nodes.emplace_back(this, role, std::move(name), std::move(value), state);
    children_.push_back(child);
    return child;
}

// Chromium: the frame's client holds the tab strip with `tabs` tabs of four
// elements, the toolbar with the location bar around the omnibox, and the
// page. Returns the omnibox.
Node* AddChromium(Node* root, const wchar_t* fieldName, const wchar_t* address, int tabs = 1) {
    Node* client = root->Add(ROLE_SYSTEM_CLIENT);
    Node* strip = client->Add(ROLE_SYSTEM_PAGETABLIST);
    for (int i = 0; i < tabs; ++i) {
        Node* tab = strip->Add(ROLE_SYSTEM_PAGETAB, L"Tab " + std::to_wstring(i));
        tab->Add(ROLE_SYSTEM_GRAPHIC, L"Icon");
        tab->Add(ROLE_SYSTEM_STATICTEXT, L"Title");
        tab->Add(ROLE_SYSTEM_PUSHBUTTON, L"Close");
    }
    Node* toolbar = client->Add(ROLE_SYSTEM_TOOLBAR);
    toolbar->Add(ROLE_SYSTEM_PUSHBUTTON, L"Back");
    toolbar->Add(ROLE_SYSTEM_PUSHBUTTON, L"Reload");
    Node* location = toolbar->Add(ROLE_SYSTEM_GROUPING);
    location->Add(ROLE_SYSTEM_PUSHBUTTON, L"View site information");
    Node* field = location->Add(ROLE_SYSTEM_TEXT, fieldName, address, STATE_SYSTEM_FOCUSABLE);
    toolbar->Add(ROLE_SYSTEM_BUTTONMENU, L"Menu");
    client->Add(ROLE_SYSTEM_GROUPING)->Add(ROLE_SYSTEM_DOCUMENT, L"Games", L"https://games.example/play");
    return field;
}

Node* AddEdge(Node* root, const wchar_t* address) {
    return AddChromium(root, L"Barre d'adresse et de recherche", address);
}

Node* AddBrave(Node* root, const wchar_t* address) {
    return AddChromium(root, L"地址和搜索栏", address);
}

// Edge with 500 tabs open: 2,000 elements in its tab strip.
Node* AddManyTabs(Node* root, const wchar_t* address) {
    return AddChromium(root, L"Address and search bar", address, 500);
}

// Firefox: the tabs toolbar, then the navigation toolbar whose combo box
// holds the field, then the page.
Node* AddFirefox(Node* root, const wchar_t* address) {
    Node* tabsToolbar = root->Add(ROLE_SYSTEM_TOOLBAR, L"Onglets");
    tabsToolbar->Add(ROLE_SYSTEM_PAGETABLIST)->Add(ROLE_SYSTEM_PAGETAB, L"Games");
    tabsToolbar->Add(ROLE_SYSTEM_PUSHBUTTON, L"Nouvel onglet");
    Node* navigation = root->Add(ROLE_SYSTEM_TOOLBAR, L"Navigation");
    navigation->Add(ROLE_SYSTEM_PUSHBUTTON, L"Précédent");
    Node* field = navigation->Add(ROLE_SYSTEM_COMBOBOX)->Add(
        ROLE_SYSTEM_TEXT, L"Rechercher avec Google ou saisir une adresse", address, STATE_SYSTEM_FOCUSABLE);
    root->Add(ROLE_SYSTEM_GROUPING)->Add(ROLE_SYSTEM_DOCUMENT, L"Games", L"https://games.example/play");
    return field;
}

// Ahead of the browser's own toolbar, whose field lies in it directly: a
// find bar's field outside any toolbar, and a page whose document holds a
// toolbar and a field of its own.
Node* AddPageToolbar(Node* root, const wchar_t* address) {
    Node* client = root->Add(ROLE_SYSTEM_CLIENT);
    client->Add(ROLE_SYSTEM_DIALOG, L"Find")->Add(ROLE_SYSTEM_TEXT, L"Find", L"find.example/bar");
    Node* page = client->Add(ROLE_SYSTEM_GROUPING)->Add(ROLE_SYSTEM_DOCUMENT, L"Page", L"https://page.example/");
    page->Add(ROLE_SYSTEM_TOOLBAR, L"Site")->Add(ROLE_SYSTEM_TEXT, L"Search", L"page.example/search");
    return client->Add(ROLE_SYSTEM_TOOLBAR)->Add(ROLE_SYSTEM_TEXT, L"Address", address, STATE_SYSTEM_FOCUSABLE);
}

// Ahead of a Chromium frame, a side panel of 390 groups of five elements
// that the search walks: the field comes after some 1,950 elements.
Node* AddLong(Node* root, const wchar_t* address) {
    Node* panel = root->Add(ROLE_SYSTEM_PANE, L"Side panel");
    for (int i = 0; i < 390; ++i) {
        Node* group = panel->Add(ROLE_SYSTEM_GROUPING, L"Item " + std::to_wstring(i));
        group->Add(ROLE_SYSTEM_GRAPHIC, L"Icon");
        group->Add(ROLE_SYSTEM_STATICTEXT, L"Title");
        group->Add(ROLE_SYSTEM_STATICTEXT, L"Details");
        group->Add(ROLE_SYSTEM_PUSHBUTTON, L"Open");
    }
    return AddChromium(root, L"Address and search bar", address);
}

struct Shape {
    const wchar_t* name;
    Node* (*add)(Node* root, const wchar_t* address);  // returns the field
};

const Shape kShapes[] = {
    {L"edge", AddEdge},        {L"brave", AddBrave},   {L"firefox", AddFirefox},
    {L"page", AddPageToolbar}, {L"tabs", AddManyTabs}, {L"long", AddLong},
};

}  // namespace

IAccessible* StandInTree(const wchar_t* shape, const wchar_t* address, HANDLE focusUntil) {
    for (const Shape& known : kShapes) {
        if (lstrcmpW(shape, known.name) != 0) continue;
        Node* root = &g_nodes.emplace_back(nullptr, ROLE_SYSTEM_WINDOW, L"Stand-in browser", L"", 0);
        known.add(root, address)->focusUntil = focusUntil;
        return root;
    }
    return nullptr;
}
