#include "preview/subclass_wnd.h"

#include "framework/thread_message_state.h"

namespace brevicor {

IMPLEMENT_RUNTIME_CLASS(CSubclassWnd, CObject)

CSubclassWnd::CSubclassWnd() {
    // The registry is made before the first hook is complete, so that it is destroyed after
    // every hook, process-wide ones included: a hook's destructor still needs it at exit.
    HookRegistry::Instance();
}

CSubclassWnd::~CSubclassWnd() {
    if (m_hTarget != nullptr) {
        HookRegistry::Instance().RemoveHook(this);
        m_pfnPrevProc = nullptr;
        m_hTarget = nullptr;
    }
}

BOOL CSubclassWnd::AttachTo(HWND window) {
    if (window != nullptr && window == m_hTarget) {
        return TRUE;
    }
    if (m_hTarget != nullptr) {
        HookRegistry::Instance().RemoveHook(this);
        m_pfnPrevProc = nullptr;
        m_pOlder = nullptr;
    }
    m_hTarget = nullptr;
    if (window == nullptr) {
        return TRUE;
    }
    if (!HookRegistry::Instance().AddHook(window, this)) {
        return FALSE;
    }
    m_hTarget = window;
    return TRUE;
}

LRESULT CSubclassWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pOlder != nullptr) {
        return m_pOlder->HandleMessage(message, wParam, lParam);
    }
    return CallWindowProcA(m_pfnPrevProc, m_hTarget, message, wParam, lParam);
}

HookRegistry& HookRegistry::Instance() {
    static HookRegistry registry;
    return registry;
}

CSubclassWnd* HookRegistry::FindHook(HWND window) const {
    void* hook = nullptr;
    return Lookup(window, hook) ? static_cast<CSubclassWnd*>(hook) : nullptr;
}

bool HookRegistry::AddHook(HWND window, CSubclassWnd* hook) {
    CSubclassWnd* older = FindHook(window);
    if (older != nullptr) {
        hook->m_pOlder = older;
        hook->m_pfnPrevProc = older->m_pfnPrevProc;
        SetAt(window, hook);
        return true;
    }
    // Only windows of this process can be subclassed; anything else would leave a key whose
    // window never routes to us.
    DWORD process = 0;
    if (!IsWindow(window) || GetWindowThreadProcessId(window, &process) == 0 ||
        process != GetCurrentProcessId()) {
        return false;
    }
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RouteMessage)));
    if (previous == nullptr) {
        return false;
    }
    hook->m_pOlder = nullptr;
    hook->m_pfnPrevProc = previous;
    SetAt(window, hook);
    return true;
}

void HookRegistry::RemoveHook(CSubclassWnd* hook) {
    HWND window = hook->m_hTarget;
    CSubclassWnd* head = FindHook(window);
    if (head == nullptr) {
        return;
    }
    if (head == hook) {
        if (hook->m_pOlder != nullptr) {
            SetAt(window, hook->m_pOlder);
            return;
        }
        RemoveKey(window);
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(head->m_pfnPrevProc));
        return;
    }
    for (CSubclassWnd* newer = head; newer != nullptr; newer = newer->m_pOlder) {
        if (newer->m_pOlder == hook) {
            newer->m_pOlder = hook->m_pOlder;
            return;
        }
    }
}

namespace {

// Puts back all seven fields of the thread's message record, whatever the hooks did.
class SavedThreadMessage {
public:
    SavedThreadMessage() : m_saved(CurrentThreadMessage()) {}
    ~SavedThreadMessage() { CurrentThreadMessage() = m_saved; }
    SavedThreadMessage(const SavedThreadMessage&) = delete;
    SavedThreadMessage& operator=(const SavedThreadMessage&) = delete;

private:
    MSG m_saved;
};

} // namespace

LRESULT CALLBACK RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SavedThreadMessage saved;
    // Default processing inside a hook sees this message; time and point stay as they were.
    MSG& current = CurrentThreadMessage();
    current.hwnd = window;
    current.message = message;
    current.wParam = wParam;
    current.lParam = lParam;

    HookRegistry& registry = HookRegistry::Instance();
    CSubclassWnd* head = registry.FindHook(window);
    if (head == nullptr) {
        // Only reached if somebody kept calling us after our last hook went: nothing to
        // forward to but the default.
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        // The window goes: every hook is detached, newest first, and the last detach puts the
        // earlier procedure back; that procedure gets the message, the hooks do not.
        WNDPROC previous = head->GetPrevProc();
        while (CSubclassWnd* hook = registry.FindHook(window)) {
            hook->AttachTo(nullptr);
        }
        return CallWindowProcA(previous, window, message, wParam, lParam);
    }
    return head->HandleMessage(message, wParam, lParam);
}

} // namespace brevicor
