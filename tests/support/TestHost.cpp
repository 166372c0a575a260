#include "support/TestHost.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

constexpr wchar_t kNotifyClass[] = L"RaTestHostNotify";

std::vector<CLIENT_APP_INFO> CopyList(const RA_PTRLIST* list) {
    std::vector<CLIENT_APP_INFO> copy;
    for (const RA_PTRLIST_NODE* node = list ? list->pNodeHead : nullptr; node; node = node->pNext)
        copy.push_back(*static_cast<const CLIENT_APP_INFO*>(node->data));
    return copy;
}

}  // namespace

TestHost::TestHost() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = NotifyProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kNotifyClass;
    RegisterClassW(&wc);
    notifyWindow_.reset(
        CreateWindowExW(0, kNotifyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this));
    hostWnd_.m_hWnd = notifyWindow_.get();
    SetWindowLongPtrW(hostWnd_.m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    logPath_ = ScratchFolder(L"log") + L"host.log";
    DeleteFileW(logPath_.c_str());
    InitializeCriticalSection(&log.lock);
    log.pszPath = logPath_.c_str();
    log.bEnabled = TRUE;
    log.dwLevelMask = 1;
    baseFolder = ScratchFolder(L"base");
    dll_.reset(LoadLibraryW(L"RestrictAction.dll"));
}

TestHost::~TestHost() {
    // As a host must: URL restriction stopped before the module goes.
    if (dll_) StopRestrict(MODE_URLRESTRICT);
    dll_.reset();
    notifyWindow_.reset();
    DeleteCriticalSection(&log.lock);
}

void TestHost::BindContext() {
    context_[RA_SLOT_LOG] = &log;
    context_[RA_SLOT_BASE_FOLDER] = const_cast<wchar_t*>(baseFolder.c_str());
    const int folderSlots[] = RA_SLOT_FOLDERS;
    for (int i = 0; i < 8; ++i) context_[folderSlots[i]] = const_cast<wchar_t*>(folders[i].c_str());
}

BOOL TestHost::Initial(DWORD appWatchPeriod, UINT timerInterval) {
    BindContext();
    return Export<PFN_RA_INITIAL>(dll_.get(), "Initial")(&hostWnd_, context_, enabledFlag, appWatchPeriod, timerInterval);
}

BOOL TestHost::Restrict(const wchar_t* title, const wchar_t* path, int action) {
    return Export<PFN_RA_RESTRICT>(dll_.get(), "Restrict")(title, path, action);
}

BOOL TestHost::StartRestrict(int mode, DWORD param, void* list, DWORD extra) {
    return Export<PFN_RA_START>(dll_.get(), "StartRestrict")(mode, param, list, extra);
}

BOOL TestHost::StopRestrict(int mode) { return Export<PFN_RA_STOP>(dll_.get(), "StopRestrict")(mode); }

BOOL TestHost::IsRestrict(int mode) { return Export<PFN_RA_ISRESTRICT>(dll_.get(), "IsRestrict")(mode); }

void TestHost::Pump(DWORD ms) {
    WaitFor([] { return false; }, ms);
}

bool TestHost::WaitFor(const std::function<bool()>& done, DWORD ms) {
    return PumpUntil(done, ms);
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed < 20 ? ms - elapsed : 20, QS_ALLINPUT);
    }
}

std::vector<Notification> TestHost::Received(UINT message) const {
    std::vector<Notification> out;
    for (const auto& n : received_)
        if (n.message == message) out.push_back(n);
    return out;
}

std::vector<std::string> TestHost::LogLines() const {
    std::ifstream file(Narrow(logPath_), std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) lines.push_back(line);  // keeps the CR
    return lines;
}

HWND TestHost::ControllerWindow() const {
    HWND found = nullptr;
    for (HWND hwnd = FindWindowExW(nullptr, nullptr, nullptr, L"RestrictAction"); hwnd && !found;
         hwnd = FindWindowExW(nullptr, hwnd, nullptr, L"RestrictAction")) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == GetCurrentProcessId()) found = hwnd;
    }
    return found;
}

LRESULT CALLBACK TestHost::NotifyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TestHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || message < WM_RA_APPWATCH_REPORT || message > WM_RA_URL_CONFIRM)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    Notification n{message, lParam, CLIENT_APP_INFO{}, {}, nullptr};
    if (message == WM_RA_APPWATCH_REPORT) n.report = CopyList(reinterpret_cast<const RA_PTRLIST*>(wParam));
    if (message == WM_RA_APP_RESTRICTED || message == WM_RA_URL_RESTRICTED)
        n.record = *reinterpret_cast<const CLIENT_APP_INFO*>(wParam);
    if (message == WM_RA_URL_CONFIRM) n.window = reinterpret_cast<HWND>(wParam);
    self->received_.push_back(n);
    self->deepestNotification = std::max(self->deepestNotification, ++self->handling_);
    if (self->pumpInHandlerMs) self->Pump(self->pumpInHandlerMs);
    --self->handling_;
    return message == WM_RA_URL_CONFIRM ? self->confirmReply : 0;
}
