// Window subclassing by plain objects on real windows: the order in which hooks see a message,
// detaching, the window's destruction, and the thread's message record.
#include "app/menu_preview_attach.h"
#include "framework/map_ptr_to_ptr.h"
#include "framework/thread_message_state.h"
#include "preview/menu_preview_hook.h"
#include "preview/subclass_wnd.h"
#include "tests/wine/preview/preview_test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace brevicor::testing {
namespace {

// Who saw WM_APP, in order: hook names, then "window" for the window's own procedure.
std::vector<std::string> g_seen;

class NamedHook : public CSubclassWnd {
public:
    explicit NamedHook(std::string name) : m_name(std::move(name)) {}
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP) {
            g_seen.push_back(m_name);
        }
        if (message == WM_NCDESTROY) {
            g_seen.push_back(m_name + " got WM_NCDESTROY");
        }
        return CSubclassWnd::HandleMessage(message, wParam, lParam);
    }

private:
    std::string m_name;
};

WNDPROC ProcOf(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

// Sends WM_APP and returns who saw it; the window's answer is checked on the way.
std::vector<std::string> SendAndTrace(HWND window) {
    g_seen.clear();
    size_t before = TestWindow::Received().size();
    LRESULT result = SendMessageA(window, WM_APP, 5, 0);
    EXPECT_EQ(result, 1005) << "the window's own answer comes back through the hooks";
    for (size_t i = before; i < TestWindow::Received().size(); ++i) {
        if (TestWindow::Received()[i].message == WM_APP) {
            g_seen.push_back("window");
        }
    }
    return g_seen;
}

void ExpectDetached(const CSubclassWnd& hook, const char* name) {
    EXPECT_EQ(hook.GetTarget(), nullptr) << name;
    EXPECT_EQ(hook.GetPrevProc(), nullptr) << name;
}

using Seen = std::vector<std::string>;

TEST(SubclassWnd, TwoHooksSeeMessagesNewestFirstAndShareTheEarlierProcedure) {
    TestWindow window;
    NamedHook a("A");
    NamedHook b("B");
    ASSERT_TRUE(a.AttachTo(window.Get()));
    ASSERT_TRUE(b.AttachTo(window.Get()));

    EXPECT_EQ(SendAndTrace(window.Get()), (Seen{"B", "A", "window"}));
    EXPECT_EQ(HookRegistry::Instance().FindHook(window.Get()), &b);
    EXPECT_EQ(b.GetOlder(), &a);
    EXPECT_EQ(a.GetOlder(), nullptr);
    EXPECT_EQ(a.GetPrevProc(), TestWindow::Procedure());
    EXPECT_EQ(b.GetPrevProc(), TestWindow::Procedure());
    EXPECT_EQ(ProcOf(window.Get()), &RouteMessage);
}

TEST(SubclassWnd, OnlyTheLastDetachRestoresTheProcedure) {
    struct Case {
        const char* first;
        Seen afterFirst;
    };
    const Case cases[] = {{"A", {"B", "window"}}, {"B", {"A", "window"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("detaching first ") + c.first);
        TestWindow window;
        NamedHook a("A");
        NamedHook b("B");
        ASSERT_TRUE(a.AttachTo(window.Get()));
        ASSERT_TRUE(b.AttachTo(window.Get()));
        NamedHook& first = std::string(c.first) == "A" ? a : b;
        NamedHook& second = &first == &a ? b : a;

        EXPECT_TRUE(first.AttachTo(nullptr));
        ExpectDetached(first, "first");
        EXPECT_EQ(ProcOf(window.Get()), &RouteMessage);
        EXPECT_EQ(HookRegistry::Instance().FindHook(window.Get()), &second);
        EXPECT_EQ(SendAndTrace(window.Get()), c.afterFirst);

        EXPECT_TRUE(second.AttachTo(nullptr));
        ExpectDetached(second, "second");
        EXPECT_EQ(ProcOf(window.Get()), TestWindow::Procedure());
        EXPECT_EQ(HookRegistry::Instance().FindHook(window.Get()), nullptr);
        EXPECT_EQ(SendAndTrace(window.Get()), (Seen{"window"}));
    }
}

TEST(SubclassWnd, NcDestroyDetachesEveryHookAndReachesTheEarlierProcedure) {
    TestWindow window;
    NamedHook a("A");
    NamedHook b("B");
    ASSERT_TRUE(a.AttachTo(window.Get()));
    ASSERT_TRUE(b.AttachTo(window.Get()));
    g_seen.clear();
    TestWindow::Received().clear();

    // Sent by hand, so that the parameters and the result can be seen.
    LRESULT result = SendMessageA(window.Get(), WM_NCDESTROY, 12, 34);

    EXPECT_EQ(result, 77);
    ASSERT_EQ(TestWindow::Received().size(), 1u);
    EXPECT_EQ(TestWindow::Received()[0].message, static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(TestWindow::Received()[0].wParam, 12u);
    EXPECT_EQ(TestWindow::Received()[0].lParam, 34);
    EXPECT_TRUE(g_seen.empty()) << "hooks never receive WM_NCDESTROY";
    ExpectDetached(a, "A");
    ExpectDetached(b, "B");
    EXPECT_EQ(HookRegistry::Instance().FindHook(window.Get()), nullptr);
    EXPECT_EQ(ProcOf(window.Get()), TestWindow::Procedure());

    // And the real destruction of a hooked window leaves its hooks detached.
    TestWindow other;
    ASSERT_TRUE(a.AttachTo(other.Get()));
    ASSERT_TRUE(b.AttachTo(other.Get()));
    DestroyWindow(other.Get());
    ExpectDetached(a, "A after DestroyWindow");
    ExpectDetached(b, "B after DestroyWindow");
    EXPECT_EQ(HookRegistry::Instance().FindHook(other.Get()), nullptr);
}

TEST(SubclassWnd, HookDestroyedWhileAttachedLeavesTheOthersChained) {
    struct Case {
        int destroyed; // 0 oldest, 1 middle, 2 newest
        Seen after;
    };
    const Case cases[] = {
        {0, {"C", "B", "window"}}, {1, {"C", "A", "window"}}, {2, {"B", "A", "window"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE("destroying hook " + std::to_string(c.destroyed));
        TestWindow window;
        std::unique_ptr<NamedHook> hooks[] = {std::make_unique<NamedHook>("A"),
                                              std::make_unique<NamedHook>("B"),
                                              std::make_unique<NamedHook>("C")};
        for (auto& hook : hooks) {
            ASSERT_TRUE(hook->AttachTo(window.Get()));
        }
        hooks[c.destroyed].reset();

        EXPECT_EQ(SendAndTrace(window.Get()), c.after);
        EXPECT_EQ(ProcOf(window.Get()), &RouteMessage);
        for (auto& hook : hooks) {
            if (hook) {
                hook->AttachTo(nullptr);
            }
        }
        EXPECT_EQ(ProcOf(window.Get()), TestWindow::Procedure());
        EXPECT_EQ(HookRegistry::Instance().FindHook(window.Get()), nullptr);
    }
}

// Records the thread's message record as a hook sees it, and sends a nested message to a
// second hooked window from inside.
class RecordSpy : public CSubclassWnd {
public:
    MSG seen{};
    MSG seenAfterNested{};
    HWND nestedTarget = nullptr;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP && wParam == 1) {
            seen = CurrentThreadMessage();
            if (nestedTarget != nullptr) {
                SendMessageA(nestedTarget, WM_APP, 2, 0);
                seenAfterNested = CurrentThreadMessage();
            }
        }
        return CSubclassWnd::HandleMessage(message, wParam, lParam);
    }
};

TEST(SubclassWnd, RouteMessageRestoresTheThreadMessageRecord) {
    TestWindow window;
    TestWindow nested;
    RecordSpy spy;
    RecordSpy nestedSpy;
    spy.nestedTarget = nested.Get();
    ASSERT_TRUE(spy.AttachTo(window.Get()));
    ASSERT_TRUE(nestedSpy.AttachTo(nested.Get()));

    const MSG before{reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1230)),
                     0x4321,
                     11,
                     22,
                     33333,
                     POINT{44, 55}};
    CurrentThreadMessage() = before;
    SendMessageA(window.Get(), WM_APP, 1, 99);
    const MSG after = CurrentThreadMessage();
    spy.AttachTo(nullptr);
    nestedSpy.AttachTo(nullptr);
    CurrentThreadMessage() = MSG{};

    // Inside the hook: this message, with the time and point left alone.
    EXPECT_EQ(spy.seen.hwnd, window.Get());
    EXPECT_EQ(spy.seen.message, static_cast<UINT>(WM_APP));
    EXPECT_EQ(spy.seen.wParam, 1u);
    EXPECT_EQ(spy.seen.lParam, 99);
    EXPECT_EQ(spy.seen.time, before.time);
    EXPECT_EQ(spy.seen.pt.x, before.pt.x);
    EXPECT_EQ(spy.seen.pt.y, before.pt.y);
    // A nested routed message puts the outer one back.
    EXPECT_EQ(spy.seenAfterNested.hwnd, window.Get());
    EXPECT_EQ(spy.seenAfterNested.wParam, 1u);
    // After the call: all seven fields as before.
    EXPECT_EQ(after.hwnd, before.hwnd);
    EXPECT_EQ(after.message, before.message);
    EXPECT_EQ(after.wParam, before.wParam);
    EXPECT_EQ(after.lParam, before.lParam);
    EXPECT_EQ(after.time, before.time);
    EXPECT_EQ(after.pt.x, before.pt.x);
    EXPECT_EQ(after.pt.y, before.pt.y);
}

TEST(SubclassWnd, AttachToEdgeCases) {
    TestWindow first;
    TestWindow second;
    NamedHook hook("H");

    // Detaching a detached hook changes nothing.
    EXPECT_TRUE(hook.AttachTo(nullptr));
    ExpectDetached(hook, "never attached");

    // A window that does not exist cannot be subclassed: reported, and nothing is kept.
    HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    DestroyWindow(gone);
    EXPECT_FALSE(hook.AttachTo(gone));
    ExpectDetached(hook, "after a dead window");
    EXPECT_EQ(HookRegistry::Instance().FindHook(gone), nullptr);

    // Attaching twice to one window keeps one link: the message is seen once.
    ASSERT_TRUE(hook.AttachTo(first.Get()));
    ASSERT_TRUE(hook.AttachTo(first.Get()));
    EXPECT_EQ(SendAndTrace(first.Get()), (Seen{"H", "window"}));

    // Attaching to another window moves the hook: the first gets its procedure back.
    ASSERT_TRUE(hook.AttachTo(second.Get()));
    EXPECT_EQ(ProcOf(first.Get()), TestWindow::Procedure());
    EXPECT_EQ(HookRegistry::Instance().FindHook(first.Get()), nullptr);
    EXPECT_EQ(SendAndTrace(second.Get()), (Seen{"H", "window"}));
    EXPECT_TRUE(hook.AttachTo(nullptr));
    EXPECT_EQ(ProcOf(second.Get()), TestWindow::Procedure());
}

TEST(SubclassWnd, MainDialogKeepsTheProgramsHookWhenAnEditorInitialises) {
    TestWindow mainWindow;
    TestWindow editor;
    AttachMenuPreview(mainWindow.Get());
    AttachMenuPreview(editor.Get());

    EXPECT_EQ(HookRegistry::Instance().FindHook(mainWindow.Get()), &MenuPreviewHook());
    EXPECT_EQ(MenuPreviewHook().GetTarget(), mainWindow.Get());
    EXPECT_EQ(HookRegistry::Instance().FindHook(editor.Get()), nullptr);
    // Both windows still get their own messages.
    EXPECT_EQ(SendMessageA(mainWindow.Get(), WM_APP, 1, 0), 1001);
    EXPECT_EQ(SendMessageA(editor.Get(), WM_APP, 2, 0), 1002);
    MenuPreviewHook().AttachTo(nullptr);
}

TEST(MapPtrToPtr, KeysOverManyBlocksSurviveRemovalAndReuse) {
    CMapPtrToPtr map(10);
    auto key = [](int i) {
        return reinterpret_cast<void*>(static_cast<uintptr_t>(0x1000 + 16 * i));
    };
    auto value = [](int i) { return reinterpret_cast<void*>(static_cast<uintptr_t>(i + 1)); };
    for (int i = 0; i < 100; ++i) {
        map.SetAt(key(i), value(i));
    }
    for (int i = 0; i < 100; i += 2) {
        EXPECT_TRUE(map.RemoveKey(key(i)));
    }
    EXPECT_FALSE(map.RemoveKey(key(0))) << "already removed";
    map.SetAt(key(1), value(500)); // replaces, does not add
    for (int i = 100; i < 150; ++i) {
        map.SetAt(key(i), value(i)); // reuses the freed entries
    }
    EXPECT_EQ(map.GetCount(), 100);
    for (int i = 0; i < 150; ++i) {
        void* found = nullptr;
        bool present = map.Lookup(key(i), found);
        bool expected = i >= 100 || i % 2 == 1;
        ASSERT_EQ(present, expected) << i;
        if (present) {
            EXPECT_EQ(found, i == 1 ? value(500) : value(i)) << i;
        }
    }
    map.RemoveAll();
    void* found = nullptr;
    EXPECT_FALSE(map.Lookup(key(1), found));
    EXPECT_TRUE(map.IsEmpty());
}

} // namespace
} // namespace brevicor::testing
