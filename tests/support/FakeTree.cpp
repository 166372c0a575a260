#include "support/FakeTree.h"

#include <cstring>

namespace {

BSTR Text(const std::wstring& text) {
    return text.empty() ? nullptr : SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

}  // namespace

FakeNode* FakeNode::Add(std::wstring name, Role role, LONG state, std::wstring value) {
    return AddObject(tree_.Add(std::move(name), std::move(role), state, std::move(value)));
}

FakeNode* FakeNode::AddObject(FakeNode* child) {
    if (!child->parent_) child->parent_ = this;
    children_.push_back({child, {L"", L"", 0, L""}});
    return child;
}

void FakeNode::AddElement(std::wstring name, Role role, LONG state, std::wstring value) {
    children_.push_back({nullptr, {std::move(name), std::move(role), state, std::move(value)}});
}

const FakeNode::Texts* FakeNode::Element(const VARIANT& child) {
    const size_t id = child.vt == VT_I4 && child.lVal >= 0 ? static_cast<size_t>(child.lVal) : SIZE_MAX;
    if (id == CHILDID_SELF) return &self_;
    if (id <= children_.size() && !children_[id - 1].object) return &children_[id - 1].texts;
    tree_.faults_ += L"element " + std::to_wstring(child.vt) + L"/" + std::to_wstring(child.lVal) + L" of " +
                     self_.name + L" asked for; ";
    return nullptr;
}

HRESULT FakeNode::Unexpected(const char* method) {
    tree_.faults_ += L"unexpected " + std::wstring(method, method + strlen(method)) + L"; ";
    return E_NOTIMPL;
}

STDMETHODIMP FakeNode::QueryInterface(REFIID iid, void** out) {
    *out = nullptr;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible))
        *out = static_cast<IAccessible*>(this);
    else if (iid == __uuidof(IEnumVARIANT) && hasEnumerator) *out = static_cast<IEnumVARIANT*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) FakeNode::Release() {
    if (references_ == 1) tree_.faults_ += L"released once too often: " + self_.name + L"; ";
    else --references_;
    return static_cast<ULONG>(references_);
}

STDMETHODIMP FakeNode::get_accParent(IDispatch** parent) {
    if ((*parent = parent_)) parent_->AddRef();
    return parent_ ? S_OK : S_FALSE;
}

STDMETHODIMP FakeNode::get_accChildCount(long* count) {
    if (release) WaitForSingleObject(release, stallMs);
    else if (stallMs) Sleep(stallMs);
    *count = Count();
    return S_OK;
}

STDMETHODIMP FakeNode::get_accChild(VARIANT child, IDispatch** object) {
    *object = nullptr;
    if (child.vt != VT_I4 || child.lVal < 1 || child.lVal > Count()) return E_INVALIDARG;
    FakeNode* found = static_cast<size_t>(child.lVal) <= children_.size() ? children_[child.lVal - 1].object : nullptr;
    if (!found) return S_FALSE;
    found->AddRef();
    *object = static_cast<IAccessible*>(found);
    return S_OK;
}

STDMETHODIMP FakeNode::get_accName(VARIANT child, BSTR* name) {
    const Texts* texts = Element(child);
    return (*name = texts ? Text(texts->name) : nullptr) ? S_OK : S_FALSE;
}

STDMETHODIMP FakeNode::get_accValue(VARIANT child, BSTR* value) {
    const Texts* texts = Element(child);
    const bool typing = texts == &self_ && Focused();
    return (*value = texts ? Text(texts->value + (typing ? L" location from history" : L"")) : nullptr) ? S_OK
                                                                                                      : S_FALSE;
}

STDMETHODIMP FakeNode::get_accRole(VARIANT child, VARIANT* role) {
    const Texts* texts = Element(child);
    if (!texts) return E_INVALIDARG;
    role->vt = texts->role.text.empty() ? VT_I4 : VT_BSTR;
    if (role->vt == VT_I4) role->lVal = texts->role.number;
    else role->bstrVal = Text(texts->role.text);
    return S_OK;
}

STDMETHODIMP FakeNode::get_accState(VARIANT child, VARIANT* state) {
    const Texts* texts = Element(child);
    if (!texts) return E_INVALIDARG;
    state->vt = VT_I4;
    state->lVal = texts->state | (texts == &self_ && Focused() ? STATE_SYSTEM_FOCUSED : 0);
    return S_OK;
}

STDMETHODIMP FakeNode::Next(ULONG count, VARIANT* items, ULONG* fetched) {
    ULONG given = 0;
    for (; given < count && position_ < static_cast<size_t>(Count()); ++given, ++position_) {
        VARIANT& item = items[given];
        FakeNode* object = position_ < children_.size() ? children_[position_].object : nullptr;
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

FakeNode* FakeTree::Add(std::wstring name, Role role, LONG state, std::wstring value) {
    return &nodes_.emplace_back(*this, std::move(name), std::move(role), state, std::move(value));
}

std::wstring FakeTree::Faults() const {
    std::wstring faults = faults_;
    for (const FakeNode& node : nodes_)
        if (node.references_ != 1) faults += node.self_.name + L" held " + std::to_wstring(node.references_ - 1) + L"; ";
    return faults;
}

namespace {

FakeNode* AddChromium(FakeNode* root, const wchar_t* fieldName, const std::wstring& address, int tabs = 1) {
    FakeNode* client = root->Add(L"", ROLE_SYSTEM_CLIENT);
    FakeNode* strip = client->Add(L"", ROLE_SYSTEM_PAGETABLIST);
    for (int i = 0; i < tabs; ++i) {
        FakeNode* tab = strip->Add(L"Tab " + std::to_wstring(i), ROLE_SYSTEM_PAGETAB);
        for (const wchar_t* part : {L"Icon", L"Title", L"Close"}) tab->Add(part, ROLE_SYSTEM_PUSHBUTTON);
    }
    FakeNode* toolbar = client->Add(L"", ROLE_SYSTEM_TOOLBAR);
    toolbar->Add(L"Back", ROLE_SYSTEM_PUSHBUTTON);
    FakeNode* location = toolbar->Add(L"", ROLE_SYSTEM_GROUPING);
    location->Add(L"View site information", ROLE_SYSTEM_PUSHBUTTON);
    FakeNode* field = location->Add(fieldName, ROLE_SYSTEM_TEXT, STATE_SYSTEM_FOCUSABLE, address);
    client->Add(L"", ROLE_SYSTEM_GROUPING)->Add(L"Games", ROLE_SYSTEM_DOCUMENT, 0, L"https://games.example/play");
    return field;
}

FakeNode* AddFirefox(FakeNode* root, const std::wstring& address) {
    FakeNode* tabs = root->Add(L"Onglets", ROLE_SYSTEM_TOOLBAR);
    tabs->Add(L"", ROLE_SYSTEM_PAGETABLIST)->Add(L"Games", ROLE_SYSTEM_PAGETAB);
    FakeNode* navigation = root->Add(L"Navigation", ROLE_SYSTEM_TOOLBAR);
    navigation->Add(L"Précédent", ROLE_SYSTEM_PUSHBUTTON);
    FakeNode* field = navigation->Add(L"", ROLE_SYSTEM_COMBOBOX)
                          ->Add(L"Rechercher avec Google ou saisir une adresse", ROLE_SYSTEM_TEXT,
                                STATE_SYSTEM_FOCUSABLE, address);
    root->Add(L"", ROLE_SYSTEM_GROUPING)->Add(L"Games", ROLE_SYSTEM_DOCUMENT, 0, L"https://games.example/play");
    return field;
}

FakeNode* AddPage(FakeNode* root, const std::wstring& address) {
    FakeNode* client = root->Add(L"", ROLE_SYSTEM_CLIENT);
    client->Add(L"Find", ROLE_SYSTEM_DIALOG)->Add(L"Find", ROLE_SYSTEM_TEXT, 0, L"find.example/bar");
    FakeNode* page = client->Add(L"", ROLE_SYSTEM_GROUPING)->Add(L"Page", ROLE_SYSTEM_DOCUMENT, 0, L"https://page.example/");
    page->Add(L"Site", ROLE_SYSTEM_TOOLBAR)->Add(L"Search", ROLE_SYSTEM_TEXT, 0, L"page.example/search");
    return client->Add(L"", ROLE_SYSTEM_TOOLBAR)->Add(L"Address", ROLE_SYSTEM_TEXT, STATE_SYSTEM_FOCUSABLE, address);
}

FakeNode* AddLong(FakeNode* root, const std::wstring& address) {
    FakeNode* panel = root->Add(L"Side panel", ROLE_SYSTEM_PANE);
    for (int i = 0; i < 390; ++i) {
        FakeNode* group = panel->Add(L"Item " + std::to_wstring(i), ROLE_SYSTEM_GROUPING);
        for (const wchar_t* part : {L"Icon", L"Title", L"Details", L"Open"}) group->Add(part, ROLE_SYSTEM_STATICTEXT);
    }
    return AddChromium(root, L"Address and search bar", address);
}

FakeNode* AddLegacy(FakeNode* root, const wchar_t* name, const wchar_t* role, const std::wstring& address) {
    return root->Add(L"Toolbar", L"tool bar")->Add(name, role, STATE_SYSTEM_FOCUSABLE, address);
}

}  // namespace

bool AddBrowserShape(FakeTree& tree, const wchar_t* shape, const std::wstring& address, HANDLE focusUntil) {
    const std::wstring name = shape;
    FakeNode* root = tree.Add(L"Stand-in browser", ROLE_SYSTEM_WINDOW);
    FakeNode* field = name == L"edge"            ? AddChromium(root, L"Barre d'adresse et de recherche", address)
                      : name == L"brave"         ? AddChromium(root, L"地址和搜索栏", address)
                      : name == L"tabs"          ? AddChromium(root, L"Address and search bar", address, 500)
                      : name == L"long"          ? AddLong(root, address)
                      : name == L"firefox"       ? AddFirefox(root, address)
                      : name == L"page"          ? AddPage(root, address)
                      : name == L"chrome-legacy" ? AddLegacy(root, L"Address and search bar", L"editable text", address)
                      : name == L"edge-legacy"
                          ? AddLegacy(root, L"検索または Web アドレスを入力", L"編集可能なテキスト", address)
                          : nullptr;
    if (field) field->focusUntil = focusUntil;
    return field != nullptr;
}
