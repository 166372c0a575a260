#include "control/CRestrictAction.h"

#include "apprestrict/ProcessImages.h"
#include "control/HostLog.h"
#include "fw/Text.h"

namespace {

// Walks the host's list head to tail, logging each comparison with
// `format`, until an entry names the record's executable. Names are
// compared whole and lower-cased: no path, wildcard or prefix matching.
bool IsListed(CHostLog* log, const void* list, const CLIENT_APP_INFO& info, const wchar_t* format) {
    const std::wstring name = ToLower(info.szAppExeName);
    for (const CLIENT_APP_INFO& entry : HostRecords(list)) {
        Log(log, RA_LOG_TRACE, format, entry.szAppExeName, info.szAppExeName);
        if (ToLower(entry.szAppExeName) == name) return true;
    }
    return false;
}

}  // namespace

// m_nAppRestrictParam 0 makes m_pAppList an allow list, any other value a
// deny list. TRUE means the process was ended (or could not be opened, which
// the host is told about all the same).
BOOL CRestrictAction::CheckApplicationRestrict(CLIENT_APP_INFO* pInfo) {
    if (IsExemptApplication(pInfo, TRUE)) return FALSE;
    const bool denyList = m_nAppRestrictParam != 0;
    const wchar_t* format = denyList ? L"CRestrictAction::CheckApplicationRestrict [RESTRICT=%s] [EXE=%s]"
                                     : L"CRestrictAction::CheckApplicationRestrict [APPROVE=%s] [EXE=%s]";
    if (IsListed(HostLog(), m_pAppList, *pInfo, format) != denyList) return FALSE;
    TerminateApplication(pInfo);
    return TRUE;
}
