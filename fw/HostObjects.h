// Typed views of the objects the host owns (layouts in RestrictAction.h).
// The module reads them and never frees or changes them.
#pragma once

#include "RestrictAction.h"

#include <array>
#include <iterator>
#include <string>
#include <vector>

// The host's context record, read by pointer-sized slot.
class HostContext {
public:
    HostContext() noexcept : slots_(nullptr) {}
    explicit HostContext(const void* record) noexcept : slots_(static_cast<void* const*>(record)) {}

    CHostLog* Log() const noexcept { return slots_ ? static_cast<CHostLog*>(slots_[RA_SLOT_LOG]) : nullptr; }
    // A host string slot; null when the slot holds none.
    const wchar_t* Text(int slot) const noexcept {
        return slots_ ? static_cast<const wchar_t*>(slots_[slot]) : nullptr;
    }

private:
    void* const* slots_;
};

inline constexpr int kHostFolderSlots[] = RA_SLOT_FOLDERS;

// The control watch's categories, each numbered by the bit of its
// RA_CONTROL_* flag (1 << category): the order of the configured title
// lists too.
enum ControlCategory {
    CATEGORY_SYSTEM_PROPERTIES,
    CATEGORY_NETWORK_PROPERTIES,
    CATEGORY_EXPLORER,
    CATEGORY_PRINTER,
    CATEGORY_APP_RUN,
    CATEGORY_CONTROL_PANEL,
    CATEGORY_COUNT
};
static_assert(RA_CONTROL_CONTROL_PANEL == 1 << CATEGORY_CONTROL_PANEL, "one bit per category, in order");

// Window titles per category, as the configuration gives them.
using TitleLists = std::array<std::vector<std::wstring>, CATEGORY_COUNT>;

inline HWND HostWindowHandle(const void* hostWnd) noexcept {
    return hostWnd ? static_cast<const RA_HOST_WND*>(hostWnd)->m_hWnd : nullptr;
}

// The records of a host pointer list, head to tail. A null list is empty;
// nodes without data are passed over.
class HostRecords {
public:
    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = CLIENT_APP_INFO;
        using difference_type = std::ptrdiff_t;
        using pointer = const CLIENT_APP_INFO*;
        using reference = const CLIENT_APP_INFO&;

        explicit iterator(const RA_PTRLIST_NODE* node) noexcept : node_(Skip(node)) {}
        reference operator*() const noexcept { return *static_cast<pointer>(node_->data); }
        pointer operator->() const noexcept { return static_cast<pointer>(node_->data); }
        iterator& operator++() noexcept {
            node_ = Skip(node_->pNext);
            return *this;
        }
        bool operator!=(const iterator& other) const noexcept { return node_ != other.node_; }
        bool operator==(const iterator& other) const noexcept { return node_ == other.node_; }

    private:
        static const RA_PTRLIST_NODE* Skip(const RA_PTRLIST_NODE* node) noexcept {
            while (node && !node->data) node = node->pNext;
            return node;
        }
        const RA_PTRLIST_NODE* node_;
    };

    explicit HostRecords(const void* list) noexcept : list_(static_cast<const RA_PTRLIST*>(list)) {}
    iterator begin() const noexcept { return iterator(list_ ? list_->pNodeHead : nullptr); }
    iterator end() const noexcept { return iterator(nullptr); }

private:
    const RA_PTRLIST* list_;
};
