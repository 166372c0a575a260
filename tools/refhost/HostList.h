// A host pointer list of records in the host framework's layout, for hosts
// (and tests) that do not have that framework: the module walks it head to
// tail. Owns its nodes and records.
#pragma once

#include "RestrictAction.h"

#include <memory>
#include <string>
#include <vector>

class HostList {
public:
    HostList() : list_{} { list_.nBlockSize = 10; }
    HostList(const HostList&) = delete;
    HostList& operator=(const HostList&) = delete;

    // A record with these texts in szAppExeName and szAppExePath (for URL
    // lists: the first and the second address pattern).
    HostList& Add(const std::wstring& exeName, const std::wstring& path = L"") {
        records_.push_back(std::make_unique<CLIENT_APP_INFO>());
        CLIENT_APP_INFO& record = *records_.back();
        record = CLIENT_APP_INFO{};
        lstrcpynW(record.szAppExeName, exeName.c_str(), RA_TEXT_LEN);
        lstrcpynW(record.szAppExePath, path.c_str(), RA_TEXT_LEN);
        nodes_.push_back(std::make_unique<RA_PTRLIST_NODE>());
        RA_PTRLIST_NODE& node = *nodes_.back();
        node = RA_PTRLIST_NODE{nullptr, list_.pNodeTail, &record};
        (list_.pNodeTail ? list_.pNodeTail->pNext : list_.pNodeHead) = &node;
        list_.pNodeTail = &node;
        ++list_.nCount;
        return *this;
    }
    RA_PTRLIST* get() { return &list_; }

private:
    RA_PTRLIST list_;
    std::vector<std::unique_ptr<CLIENT_APP_INFO>> records_;
    std::vector<std::unique_ptr<RA_PTRLIST_NODE>> nodes_;
};
