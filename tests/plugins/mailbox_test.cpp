// The thread mailbox: inline sends, cross-thread sends, and sends that can
// never be answered.
#include <gtest/gtest.h>

#include "plugins/mailbox.h"

namespace {
DWORD g_handlerThread;

UINT_PTR WINAPI Twice(UINT code, UINT_PTR parameter) {
    g_handlerThread = GetCurrentThreadId();
    return code == 0x8001 ? parameter * 2 : 0;
}

struct Owner {
    ThreadMailbox* mailbox;
    HANDLE ready;
    HANDLE stop;
    bool bind;
};

DWORD WINAPI OwnerMain(void* p) {
    Owner* o = static_cast<Owner*>(p);
    if (o->bind) MailboxBind(o->mailbox);
    SetEvent(o->ready);
    if (!o->stop) return 0;
    for (;;) {
        HANDLE h = o->stop;
        DWORD r = MsgWaitForMultipleObjects(1, &h, FALSE, INFINITE, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1) return 0;
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            if (MailboxIsRequest(&m)) MailboxDispatch(o->mailbox, &m);
    }
}
}  // namespace

TEST(ThreadMailbox, SendFromOwnerRunsInlineWithoutPosting) {
    ThreadMailbox* m = MailboxCreate(Twice);
    ASSERT_EQ(1, MailboxBind(m));
    g_handlerThread = 0;
    EXPECT_EQ(42u, MailboxSend(m, 0x8001, 21));
    EXPECT_EQ(GetCurrentThreadId(), g_handlerThread);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0x8000, 0xBFFF, PM_REMOVE));
    MailboxDestroy(m);
}

TEST(ThreadMailbox, SendFromAnotherThreadWaitsForTheOwnersResult) {
    Owner o = {MailboxCreate(Twice), CreateEventW(nullptr, TRUE, FALSE, nullptr), CreateEventW(nullptr, TRUE, FALSE, nullptr), true};
    HANDLE t = CreateThread(nullptr, 0, OwnerMain, &o, 0, nullptr);
    MailboxSetThread(o.mailbox, t);
    WaitForSingleObject(o.ready, 5000);
    EXPECT_EQ(200u, MailboxSend(o.mailbox, 0x8001, 100));
    EXPECT_EQ(GetThreadId(t), g_handlerThread);
    EXPECT_EQ(0u, MailboxSend(o.mailbox, 0x8005, 1));
    SetEvent(o.stop);
    WaitForSingleObject(t, 5000);
    CloseHandle(t);
    CloseHandle(o.ready);
    CloseHandle(o.stop);
    MailboxDestroy(o.mailbox);
}

TEST(ThreadMailbox, SendsThatCanNeverBeAnsweredFailAtOnce) {
    EXPECT_EQ(MAILBOX_FAILED, MailboxSend(nullptr, 0x8001, 1));
    MailboxPost(nullptr, 0x8001, 1);  // nothing happens

    // Never bound.
    ThreadMailbox* unbound = MailboxCreate(Twice);
    DWORD start = GetTickCount();
    EXPECT_EQ(MAILBOX_FAILED, MailboxSend(unbound, 0x8001, 1));
    MailboxDestroy(unbound);

    // Bound, then the owner ended.
    Owner o = {MailboxCreate(Twice), CreateEventW(nullptr, TRUE, FALSE, nullptr), nullptr, true};
    HANDLE t = CreateThread(nullptr, 0, OwnerMain, &o, 0, nullptr);
    MailboxSetThread(o.mailbox, t);
    WaitForSingleObject(t, 5000);
    EXPECT_EQ(MAILBOX_FAILED, MailboxSend(o.mailbox, 0x8001, 1));
    EXPECT_LT(GetTickCount() - start, 2000u);
    CloseHandle(t);
    CloseHandle(o.ready);
    MailboxDestroy(o.mailbox);

    EXPECT_EQ(nullptr, MailboxCreate(nullptr));
}

TEST(ThreadMailbox, DispatchWithoutReplyBlockStoresNothing) {
    ThreadMailbox* m = MailboxCreate(Twice);
    MSG msg = {};
    msg.message = 0x8001;
    msg.wParam = 4;
    EXPECT_EQ(1, MailboxDispatch(m, &msg));
    EXPECT_EQ(0, MailboxDispatch(m, nullptr));
    EXPECT_EQ(0, MailboxDispatch(nullptr, &msg));
    MailboxDestroy(m);
}

TEST(ThreadMailbox, OnlyThreadMessagesInTheAppRangeAreRequests) {
    MSG m = {};
    m.message = 0x8002;
    EXPECT_TRUE(MailboxIsRequest(&m));
    m.hwnd = reinterpret_cast<HWND>(1);  // posted to a module's own window
    EXPECT_FALSE(MailboxIsRequest(&m));
    m.hwnd = nullptr;
    m.message = 0xC000;
    EXPECT_FALSE(MailboxIsRequest(&m));
    m.message = WM_TIMER;
    EXPECT_FALSE(MailboxIsRequest(&m));
}
