#include "browsers/AccWalker.h"

#include "fw/HostLog.h"
#include "fw/DeadlineRunner.h"

#include <algorithm>
#include <cwchar>
#include <utility>
#include <vector>

namespace {

// Copies at most size - 1 characters and a null; returns the length.
int CopyText(const wchar_t* text, wchar_t* buffer, int size) {
    int n = 0;
    for (; text && n + 1 < size && text[n]; ++n) buffer[n] = text[n];
    buffer[n] = L'\0';
    return n;
}

void Clear(wchar_t* buffer, int size) {
    std::fill(buffer, buffer + size, L'\0');
}

// State bits 0x1 .. 0x08000000 as texts at the end of `buffer`, each with a
// comma; the last comma is taken away.
int StateBitsText(DWORD state, wchar_t* buffer, int size) {
    int used = 0;
    for (DWORD bit = 1; bit <= 0x08000000 && used + 1 < size; bit <<= 1) {
        if (!(state & bit)) continue;
        used += static_cast<int>(GetStateTextW(bit, buffer + used, static_cast<UINT>(size - used)));
        if (used + 1 < size) buffer[used++] = L',';
    }
    if (used > 0 && buffer[used - 1] == L',') buffer[--used] = L'\0';
    return used;
}

// The role into `role`, its text into `buffer` (cleared first); the
// text's length, 0 when the role cannot be read.
int ReadRole(IAccessible* object, const VARIANT& child, UniqueVariant& role, wchar_t* buffer, int size) {
    Clear(buffer, size);
    if (FAILED(object->get_accRole(child, role.put()))) return 0;
    if (role.get().vt == VT_I4) return static_cast<int>(GetRoleTextW(role.get().lVal, buffer, size));
    return role.get().vt == VT_BSTR ? CopyText(role.get().bstrVal, buffer, size) : 0;
}

// The same for the state.
int ReadState(IAccessible* object, const VARIANT& child, UniqueVariant& state, wchar_t* buffer, int size) {
    Clear(buffer, size);
    if (FAILED(object->get_accState(child, state.put()))) return 0;
    if (state.get().vt == VT_I4) return StateBitsText(static_cast<DWORD>(state.get().lVal), buffer, size);
    return state.get().vt == VT_BSTR ? CopyText(state.get().bstrVal, buffer, size) : 0;
}

LONG Number(const UniqueVariant& value) {
    return value.get().vt == VT_I4 ? value.get().lVal : 0;
}

// The object a child identifier stands for; empty for a simple element.
ComPtr<IAccessible> ChildObject(IAccessible* parent, const VARIANT& child) {
    if (child.vt == VT_DISPATCH) return QueryAs<IAccessible>(child.pdispVal);
    if (child.vt != VT_I4) return {};
    ComPtr<IDispatch> dispatch;
    if (FAILED(parent->get_accChild(child, dispatch.put()))) return {};
    return QueryAs<IAccessible>(dispatch.get());
}

// COM identity: the same object through any interface or proxy.
IUnknown* Identity(IUnknown* object) {
    return QueryAs<IUnknown>(object).get();  // stays valid while `object` lives
}

class TreeWalk {
public:
    TreeWalk(const AccSearch& search, ComPtr<IAccessible>& found, UniqueVariant& foundChild)
        : search_(search), found_(found), foundChild_(foundChild) {}

    // `role`: the number of `parent`'s role, 0 when not known.
    bool Level(IAccessible* parent, LONG role, int depth) {
        if (!parent || depth >= kAccMaxDepth || Spent()) return false;
        const auto enumerator = QueryAs<IEnumVARIANT>(parent);
        if (!enumerator && search_.needsEnumerator) return false;
        if (enumerator) enumerator.get()->Reset();
        long count = 0;
        parent->get_accChildCount(&count);
        path_.push_back(Identity(parent));
        roles_.push_back(role);
        wchar_t stateText[kAccTextSize], name[kAccTextSize], roleText[kAccTextSize];
        bool result = false;
        for (long index = 1; index <= count && !result && !Spent(); ++index) {
            ++visited_;
            UniqueVariant child(index);
            if (enumerator) enumerator.get()->Next(1, child.put(), nullptr);
            const auto object = ChildObject(parent, child.get());
            IAccessible* holder = object ? object.get() : parent;
            const UniqueVariant self(CHILDID_SELF);
            const VARIANT& element = object ? self.get() : child.get();

            UniqueVariant state, role;
            ReadState(holder, element, state, stateText, kAccTextSize);
            if (std::wcsstr(stateText, L"unavailable")) continue;
            ReadRole(holder, element, role, roleText, kAccTextSize);
            bool named = false;
            const auto readName = [&] {
                if (!std::exchange(named, true)) GetAccName(holder, element, name);
                return static_cast<const wchar_t*>(name);
            };
            const AccTexts texts{readName, roleText, Number(role), Number(state), roles_};
            if (search_.matches(texts)) {
                found_ = AddRefTo(holder);
                foundChild_.CopyFrom(element);
                result = true;
            } else if (object && !OnPath(object.get()) && !(search_.passesOver && search_.passesOver(texts))) {
                result = Level(object.get(), texts.roleId, depth + 1);
            }
        }
        path_.pop_back();
        roles_.pop_back();
        return result;
    }

private:
    // Checked before each element's calls: a call may take long.
    bool Spent() const { return visited_ >= kAccNodeBudget || GetTickCount() - start_ >= kAccDeadlineMs; }

    bool OnPath(IUnknown* object) const {
        const IUnknown* identity = Identity(object);
        for (const IUnknown* ancestor : path_)
            if (ancestor == identity) return true;
        return false;
    }

    const AccSearch& search_;
    ComPtr<IAccessible>& found_;
    UniqueVariant& foundChild_;
    std::vector<IUnknown*> path_;
    std::vector<LONG> roles_;  // beside path_
    int visited_ = 0;
    const DWORD start_ = GetTickCount();
};

}  // namespace

int GetAccName(IAccessible* object, const VARIANT& child, wchar_t* buffer) {
    Clear(buffer, kAccTextSize);
    UniqueBstr name;
    if (FAILED(object->get_accName(child, name.put()))) return 0;
    return CopyText(name.get(), buffer, kAccTextSize);
}

bool SearchAccTree(IAccessible* parent, const AccSearch& search, ComPtr<IAccessible>& found,
                   UniqueVariant& foundChild) {
    return TreeWalk(search, found, foundChild).Level(parent, 0, 0);
}

int FindAccChild(IAccessible* parent, const wchar_t* name, const wchar_t* role, ComPtr<IAccessible>& found,
                 UniqueVariant& foundChild) {
    const auto equal = [](const wchar_t* wanted, const wchar_t* read) {
        return !wanted || std::wcscmp(wanted, read) == 0;
    };
    const AccSearch search{[&](const AccTexts& texts) {
                               return equal(name, texts.name()) && equal(role, texts.role);
                           },
                           true};
    return SearchAccTree(parent, search, found, foundChild) ? 1 : -1;
}

bool ReadWindowTree(HWND hwnd, CHostLog* log, const wchar_t* reader, std::function<void(IAccessible*)> read) {
    const DeadlineOutcome outcome = RunWithDeadline(hwnd, kAccWaitMs, [hwnd, read = std::move(read)] {
        // Before the object is asked for: a proxy into the browser needs COM.
        const ComInit com;
        ComPtr<IAccessible> root;
        if (SUCCEEDED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_WINDOW), IID_IAccessible,
                                                 reinterpret_cast<void**>(root.put()))) &&
            root)
            read(root.get());
    });
    if (outcome == DeadlineOutcome::kAbandoned)
        Log(log, RA_LOG_ERROR, L"CRestrictAction::%s [No answer from window 0x%08X within %d ms].", reader,
            static_cast<unsigned>(reinterpret_cast<UINT_PTR>(hwnd)), static_cast<int>(kAccWaitMs));
    return outcome == DeadlineOutcome::kFinished;
}
