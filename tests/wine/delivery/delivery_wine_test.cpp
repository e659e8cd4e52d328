// Delivering a phrase under Wine: the real OLE clipboard, read back as another program would,
// and the drag step driven with real mouse input.
#include "delivery/phrase_delivery.h"
#include "framework/ole_data_source.h"
#include "framework/shared_file.h"
#include "framework/popup_menu.h"
#include "store/category_list.h"
#include "store/odbc_session.h"
#include "store/phrase_menu_ids.h"
#include "store/trace.h"
#include "tests/wine/lists/library_sql.h"

#include <gtest/gtest.h>
#include <ole2.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace brevicor::testing {
namespace {

std::string g_trace;
void CollectTrace(const char* text) {
    g_trace += text;
}

const std::string kSignature = "\n\n\nDone by Brevicor from brevicor.example\n"
                               "Get yours FREE from https://www.brevicor.example/\n";

// Ends the whole program when a step that must return at once does not: a stuck modal loop
// becomes a failure, not a hang.
class Watchdog {
public:
    explicit Watchdog(const char* what) : m_what(what) {
        m_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_thread = CreateThread(nullptr, 0, &Watch, this, 0, nullptr);
    }
    ~Watchdog() {
        SetEvent(m_done);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        CloseHandle(m_done);
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    static DWORD WINAPI Watch(void* self) {
        auto* dog = static_cast<Watchdog*>(self);
        if (WaitForSingleObject(dog->m_done, 5000) == WAIT_TIMEOUT) {
            std::fprintf(stderr, "FAILED: %s did not return within 5 s\n", dog->m_what);
            std::fflush(stderr);
            ExitProcess(3);
        }
        return 0;
    }
    const char* m_what;
    HANDLE m_done;
    HANDLE m_thread;
};

struct ClipboardText {
    bool present = false;
    std::string text; // up to the first zero byte
    size_t blockSize = 0;
    bool terminated = false; // a zero byte follows the text inside the block
};

bool OpenClipboardPatiently() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(nullptr)) {
            return true;
        }
        Sleep(20);
    }
    return false;
}

ClipboardText ReadClipboard() {
    ClipboardText result;
    if (!OpenClipboardPatiently()) {
        ADD_FAILURE() << "the clipboard could not be opened";
        return result;
    }
    HANDLE data = GetClipboardData(CF_TEXT);
    if (data != nullptr) {
        result.present = true;
        result.blockSize = GlobalSize(data);
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            size_t length = strnlen(bytes, result.blockSize);
            result.text.assign(bytes, length);
            result.terminated = length < result.blockSize;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return result;
}

void PutOnClipboard(const std::string& text) {
    ASSERT_TRUE(OpenClipboardPatiently());
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

std::vector<UINT> ClipboardFormats() {
    std::vector<UINT> formats;
    if (!OpenClipboardPatiently()) {
        return formats;
    }
    for (UINT format = EnumClipboardFormats(0); format != 0;
         format = EnumClipboardFormats(format)) {
        formats.push_back(format);
    }
    CloseClipboard();
    return formats;
}

void InsertPhrase(int phraseId, const std::string& code, const std::string& content) {
    ExecLibrarySql("INSERT INTO phrase (PhraseID, category, code, content) VALUES (" +
                   std::to_string(phraseId) + ", 'Mail', " + SqlText(code) + ", " +
                   SqlText(content) + ")");
}

class DeliveryWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetStore();
        ASSERT_TRUE(CopyFileA("database\\empty.mdb", "database\\phrases.mdb", FALSE));
        TrayMenuPhraseIds().Clear();
        g_trace.clear();
        SetTraceObserver(&CollectTrace);
    }
    void TearDown() override {
        SetTraceObserver(nullptr);
        ResetStore();
    }
};

TEST_F(DeliveryWineTest, SignatureBlockIsFixedWithLineFeedsOnly) {
    EXPECT_EQ(SignatureBlock(), kSignature);
}

TEST_F(DeliveryWineTest, ClipboardGetsDecodedContentThenTheSignature) {
    struct Case {
        std::string stored;
        std::string delivered;
    } cases[] = {
        {"it\xAC\x60s", "it's"},
        {"\xAC\x60\xAC\x60", "''"},
        {"lone \xAC and lone ` stay", "lone \xAC and lone ` stay"},
        {"\xAC\xAC\x60\x60", "\xAC'`"},
        {"two\nlines\r\nkept as stored", "two\nlines\r\nkept as stored"},
        {"Caf\xE9 \x80 5", "Caf\xE9 \x80 5"},
        {"", ""},
    };
    int phraseId = 1;
    for (const Case& c : cases) {
        InsertPhrase(phraseId, "code" + std::to_string(phraseId), c.stored);
        PutOnClipboard("before");
        {
            Watchdog watchdog("DeliverPhrase");
            DeliverPhrase(static_cast<unsigned>(40000 + phraseId));
        }
        ClipboardText clip = ReadClipboard();
        EXPECT_TRUE(clip.present) << c.stored;
        EXPECT_EQ(clip.text, c.delivered + kSignature) << c.stored;
        EXPECT_TRUE(clip.terminated) << c.stored;
        ++phraseId;
    }
    EXPECT_EQ(g_trace.find("Phrase delivery"), std::string::npos) << g_trace;
}

TEST_F(DeliveryWineTest, IdentifierWithoutAPhraseDeliversTheSignatureAlone) {
    InsertPhrase(7, "seven", "text");
    for (unsigned id : {0u, 3u, 40008u, 49999u, 20000u}) {
        PutOnClipboard("before");
        DeliverPhrase(id);
        EXPECT_EQ(ReadClipboard().text, kSignature) << id;
    }
}

TEST_F(DeliveryWineTest, LargePhraseIdDeliversItsOwnText) {
    InsertPhrase(12000, "twelve", "the twelve thousandth");
    InsertPhrase(2000, "two", "the two thousandth"); // 12000 - 10000: must not be mixed up
    LoadCategoryList();
    OwnedMenu tray(CreatePopupMenu());
    PopupMenu popup(tray.Get());
    BuildCategoryMenus(popup);
    std::optional<unsigned> id;
    HMENU mail = GetSubMenu(tray.Get(), 0);
    ASSERT_NE(mail, nullptr);
    for (int i = 0; i < GetMenuItemCount(mail); ++i) {
        char text[64] = {};
        GetMenuStringA(mail, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        if (std::string(text) == "twelve") {
            id = GetMenuItemID(mail, i);
        }
    }
    ASSERT_TRUE(id.has_value());
    DeliverPhrase(*id);
    EXPECT_EQ(ReadClipboard().text, "the twelve thousandth" + kSignature);
}

TEST_F(DeliveryWineTest, TextsAroundTheGrowthStepArriveWholeAndTerminated) {
    for (size_t total : {size_t{4095}, size_t{4096}, size_t{4097}, size_t{9215} + 80}) {
        std::string content;
        for (size_t i = 0; content.size() + kSignature.size() < total; ++i) {
            content += static_cast<char>('a' + i % 26);
        }
        const int phraseId = static_cast<int>(total);
        InsertPhrase(phraseId, "size" + std::to_string(total), content);
        DeliverPhrase(static_cast<unsigned>(40000 + phraseId));
        ClipboardText clip = ReadClipboard();
        ASSERT_EQ(clip.text.size(), total) << total;
        EXPECT_EQ(clip.text, content + kSignature) << total;
        EXPECT_TRUE(clip.terminated) << total;
        EXPECT_GE(clip.blockSize, total + 1) << total;
    }
}

TEST_F(DeliveryWineTest, OffersPlainTextOnly) {
    InsertPhrase(1, "code", "plain");
    DeliverPhrase(40001);
    std::vector<UINT> formats = ClipboardFormats();
    ASSERT_FALSE(formats.empty());
    EXPECT_EQ(formats.front(), static_cast<UINT>(CF_TEXT)) << "the program's own format first";
    // What the platform derives from text, and OLE's own bookkeeping of the data source.
    const std::set<UINT> derived = {CF_UNICODETEXT, CF_OEMTEXT, CF_LOCALE};
    const std::set<std::string> oleBookkeeping = {"Ole Private Data", "DataObject",
                                                  "Wine Marshalled DataObject"};
    for (UINT format : formats) {
        if (format == CF_TEXT || derived.contains(format)) {
            continue;
        }
        char name[128] = {};
        GetClipboardFormatNameA(format, name, sizeof name);
        EXPECT_TRUE(oleBookkeeping.contains(name)) << "unexpected format " << format << " " << name;
    }
}

TEST_F(DeliveryWineTest, FlushedClipboardKeepsTheTextButNoReferenceToTheSource) {
    ComPtr<COleDataSource> source = COleDataSource::Create();
    ASSERT_TRUE(source);
    std::string text = "kept";
    GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
    std::memcpy(GlobalLock(block.Get()), text.c_str(), text.size() + 1);
    GlobalUnlock(block.Get());
    source->CacheGlobalData(CF_TEXT, std::move(block));
    ASSERT_EQ(source->SetClipboard(), S_OK);
    EXPECT_EQ(source->AddRef(), 2u) << "only our reference is left once the text is rendered";
    EXPECT_EQ(source->Release(), 1u);
    source.Reset();
    EXPECT_EQ(ReadClipboard().text, "kept") << "the text outlives its data source";
}

struct ClipboardHolder {
    HANDLE opened;
    HANDLE release;
};

// Opens the clipboard on a thread of its own and keeps it open until told to let go.
DWORD WINAPI HoldClipboard(void* arg) {
    auto* holder = static_cast<ClipboardHolder*>(arg);
    BOOL open = OpenClipboard(nullptr);
    SetEvent(holder->opened);
    WaitForSingleObject(holder->release, 10000);
    if (open) {
        CloseClipboard();
    }
    return open ? 0 : 1;
}

TEST_F(DeliveryWineTest, RefusedClipboardSkipsTheDeliveryAndSaysWhy) {
    InsertPhrase(1, "code", "new text");
    PutOnClipboard("before");
    // Another thread holds the clipboard open, as a busy program would.
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ClipboardHolder holder{opened, release};
    HANDLE thread = CreateThread(nullptr, 0, &HoldClipboard, &holder, 0, nullptr);
    WaitForSingleObject(opened, 5000);
    {
        Watchdog watchdog("DeliverPhrase with the clipboard held");
        DeliverPhrase(40001);
    }
    SetEvent(release);
    WaitForSingleObject(thread, 5000);
    DWORD heldIt = 1;
    GetExitCodeThread(thread, &heldIt);
    CloseHandle(thread);
    CloseHandle(opened);
    CloseHandle(release);
    ASSERT_EQ(heldIt, 0u) << "the holder could not open the clipboard";

    EXPECT_NE(g_trace.find("Phrase delivery: clipboard skipped: refused"), std::string::npos)
        << g_trace;
    EXPECT_EQ(ReadClipboard().text, "before");
}

TEST_F(DeliveryWineTest, SharedFileGrowsInStepsAndFailsWithoutMemory) {
    CSharedFile file;
    std::string text(5000, 'x');
    ASSERT_TRUE(file.Write(text.data(), text.size()));
    EXPECT_FALSE(file.Write(text.data(), static_cast<size_t>(-1) / 2)) << "no memory: refused";
    EXPECT_EQ(file.GetLength(), text.size()) << "a refused write changes nothing";
    GlobalMemory block = file.Detach();
    ASSERT_TRUE(block);
    EXPECT_EQ(GlobalSize(block.Get()), 8192u);
    EXPECT_EQ(GlobalFlags(block.Get()) & GMEM_DISCARDED, 0u);
    GlobalLockGuard lock(block.Get());
    const char* bytes = static_cast<const char*>(lock.Data());
    ASSERT_NE(bytes, nullptr) << "a movable block locks";
    EXPECT_EQ(std::string(bytes, 5000), text);
    for (size_t i = 5000; i < 8192; ++i) {
        ASSERT_EQ(bytes[i], 0) << "zero after the text at " << i;
    }
    EXPECT_FALSE(file.Detach()) << "the block went with the first Detach";
}

// Mouse input as a user gives it, with absolute screen coordinates.
void SendMouse(DWORD flags, int x = 0, int y = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_MOVE) {
        input.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE;
        input.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    SendInput(1, &input, sizeof input);
}

bool LeftButtonDown() {
    return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
}

TEST_F(DeliveryWineTest, DragEndsAtOnceWhenNoButtonIsHeld) {
    ASSERT_FALSE(LeftButtonDown());
    InsertPhrase(1, "code", "dragged");
    PutOnClipboard("before");
    {
        Watchdog watchdog("OfferPhraseForDrag");
        OfferPhraseForDrag("dragged");
    }
    EXPECT_EQ(ReadClipboard().text, "before") << "the drag changes nothing on the clipboard";
    EXPECT_EQ(g_trace, "");
}

// A drop target window that records what is dropped on it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor" // lives on the stack, never deleted by COM
class RecordingDropTarget final : public IDropTarget {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        ++enters;
        *effect &= DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect &= DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        ++drops;
        FORMATETC format{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        if (SUCCEEDED(data->GetData(&format, &medium))) {
            if (const char* text = static_cast<const char*>(GlobalLock(medium.hGlobal))) {
                dropped = text;
                GlobalUnlock(medium.hGlobal);
            }
            ReleaseStgMedium(&medium);
        }
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }

    LONG references = 0;
    int enters = 0;
    int drops = 0;
    std::string dropped;
};
#pragma GCC diagnostic pop

// The steps a timer plays while the drag runs its loop, one per tick.
std::vector<void (*)()> g_script;
size_t g_step = 0;
void CALLBACK PlayStep(HWND, UINT, UINT_PTR, DWORD) {
    if (g_step < g_script.size()) {
        g_script[g_step++]();
    }
}

class DragWineTest : public DeliveryWineTest {
protected:
    void SetUp() override {
        DeliveryWineTest::SetUp();
        // A window class of our own: a static control answers hit tests as transparent, so
        // no drop would ever find it.
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "BrevicorTestDropTarget";
        RegisterClassA(&windowClass);
        m_window = CreateWindowExA(WS_EX_TOPMOST, "BrevicorTestDropTarget", "drop here",
                                   WS_POPUP | WS_VISIBLE, 100, 100, 300, 300, nullptr, nullptr,
                                   windowClass.hInstance, nullptr);
        ASSERT_NE(m_window, nullptr);
        UpdateWindow(m_window);
        ASSERT_EQ(RegisterDragDrop(m_window, &m_target), S_OK);
        SendMouse(MOUSEEVENTF_MOVE, 150, 150);
        g_step = 0;
    }
    void TearDown() override {
        KillTimer(nullptr, m_timer);
        if (LeftButtonDown()) {
            SendMouse(MOUSEEVENTF_LEFTUP);
        }
        RevokeDragDrop(m_window);
        DestroyWindow(m_window);
        EXPECT_EQ(m_target.references, 0) << "every reference given to the platform came back";
        DeliveryWineTest::TearDown();
    }

    // Presses the left button where the pointer is and runs the drag with the script playing.
    DWORD RunDrag(std::vector<void (*)()> script) {
        g_script = std::move(script);
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        if (!LeftButtonDown()) {
            return static_cast<DWORD>(-1);
        }
        m_timer = SetTimer(nullptr, 0, 100, &PlayStep);
        ComPtr<COleDataSource> source = COleDataSource::Create();
        std::string text = "dragged" + kSignature;
        GlobalMemory block(GlobalAlloc(GMEM_FIXED, text.size() + 1));
        std::memcpy(block.Get(), text.c_str(), text.size() + 1);
        source->CacheGlobalData(CF_TEXT, std::move(block));
        Watchdog watchdog("DoDragDrop");
        return source->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE);
    }

    HWND m_window = nullptr;
    UINT_PTR m_timer = 0;
    RecordingDropTarget m_target;
};

TEST_F(DragWineTest, ButtonReleasedInsideTheDragRectangleDropsNothing) {
    DWORD effect = RunDrag({
        [] { SendMouse(MOUSEEVENTF_MOVE, 151, 151); }, // within SM_CXDRAG/SM_CYDRAG
        [] { SendMouse(MOUSEEVENTF_LEFTUP); },
    });
    if (effect == static_cast<DWORD>(-1)) {
        GTEST_SKIP() << "the injected button press did not arrive";
    }
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(m_target.enters, 0) << "the drag never began";
    EXPECT_EQ(m_target.drops, 0);
}

TEST_F(DragWineTest, HeldButtonMovedOutDragsTheText) {
    DWORD effect = RunDrag({
        [] { SendMouse(MOUSEEVENTF_MOVE, 200, 200); },
        [] { SendMouse(MOUSEEVENTF_MOVE, 210, 210); },
        [] { SendMouse(MOUSEEVENTF_MOVE, 220, 220); },
        [] { SendMouse(MOUSEEVENTF_LEFTUP); },
    });
    if (effect == static_cast<DWORD>(-1)) {
        GTEST_SKIP() << "the injected button press did not arrive";
    }
    EXPECT_EQ(m_target.drops, 1);
    EXPECT_EQ(m_target.dropped, "dragged" + kSignature);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
}

} // namespace
} // namespace brevicor::testing
