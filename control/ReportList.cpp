#include "control/ReportList.h"

#include <cwchar>

ReportList::ReportList() noexcept : list_{} {
    list_.nBlockSize = 10;
}

void ReportList::Append(std::unique_ptr<CLIENT_APP_INFO> record) {
    // Reserve first so that nothing is left half-linked if allocation fails.
    records_.reserve(records_.size() + 1);
    nodes_.reserve(nodes_.size() + 1);
    auto node = std::make_unique<RA_PTRLIST_NODE>();
    node->pPrev = list_.pNodeTail;
    node->data = record.get();
    if (list_.pNodeTail)
        list_.pNodeTail->pNext = node.get();
    else
        list_.pNodeHead = node.get();
    list_.pNodeTail = node.get();
    ++list_.nCount;
    nodes_.push_back(std::move(node));
    records_.push_back(std::move(record));
}

bool ReportList::Contains(const CLIENT_APP_INFO& record) const noexcept {
    for (const auto& r : records_)
        if (wcscmp(r->szAppExeName, record.szAppExeName) == 0 && wcscmp(r->szWindowTitle, record.szWindowTitle) == 0)
            return true;
    return false;
}
