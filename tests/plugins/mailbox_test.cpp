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

// A thread that binds the mailbox and serves it until stop is set (or, not
// serving, ends after linger milliseconds without answering anything).
struct Owner {
    ThreadMailbox* mailbox = MailboxCreate(Twice);
    HANDLE stop;
    HANDLE thread;
    DWORD linger;
    explicit Owner(bool serve, DWORD lingerMs = 0)
        : stop(serve ? CreateEventW(nullptr, TRUE, FALSE, nullptr) : nullptr), linger(lingerMs) {
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::pair<Owner*, HANDLE> start(this, ready);
        thread = CreateThread(nullptr, 0, Main, &start, 0, nullptr);
        MailboxSetThread(mailbox, thread);
        WaitForSingleObject(ready, 5000);
        CloseHandle(ready);
    }
    ~Owner() {
        if (stop) SetEvent(stop);
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
        if (stop) CloseHandle(stop);
        MailboxDestroy(mailbox);
    }
    static DWORD WINAPI Main(void* p) {
        auto* start = static_cast<std::pair<Owner*, HANDLE>*>(p);
        Owner* o = start->first;
        MailboxBind(o->mailbox);
        SetEvent(start->second);
        if (!o->stop) Sleep(o->linger);
        while (o->stop && MsgWaitForMultipleObjects(1, &o->stop, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
                if (MailboxIsRequest(&m)) MailboxDispatch(o->mailbox, &m);
        }
        return 0;
    }
};
}  // namespace

TEST(ThreadMailbox, SendsRunInlineOnTheOwnerAndWaitForItElsewhere) {
    ThreadMailbox* m = MailboxCreate(Twice);
    ASSERT_EQ(1, MailboxBind(m));
    EXPECT_EQ(42u, MailboxSend(m, 0x8001, 21));
    EXPECT_EQ(GetCurrentThreadId(), g_handlerThread);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0x8000, 0xBFFF, PM_REMOVE)) << "nothing was posted";
    MailboxDestroy(m);
    Owner o(true);
    EXPECT_EQ(200u, MailboxSend(o.mailbox, 0x8001, 100));
    EXPECT_EQ(GetThreadId(o.thread), g_handlerThread);
    EXPECT_EQ(0u, MailboxSend(o.mailbox, 0x8005, 1));
}

TEST(ThreadMailbox, SendsThatCanNeverBeAnsweredFail) {
    EXPECT_EQ(MAILBOX_FAILED, MailboxSend(nullptr, 0x8001, 1));
    MailboxPost(nullptr, 0x8001, 1);
    ThreadMailbox* unbound = MailboxCreate(Twice);
    EXPECT_EQ(MAILBOX_FAILED, MailboxSend(unbound, 0x8001, 1));
    MailboxDestroy(unbound);
    {
        Owner ended(false);
        WaitForSingleObject(ended.thread, 5000);
        EXPECT_EQ(MAILBOX_FAILED, MailboxSend(ended.mailbox, 0x8001, 1));
        Owner leaving(false, 300);  // ends while the sender waits, without answering
        EXPECT_EQ(MAILBOX_FAILED, MailboxSend(leaving.mailbox, 0x8001, 1));
    }
    EXPECT_EQ(nullptr, MailboxCreate(nullptr));
}

TEST(ThreadMailbox, OnlyThreadMessagesInTheAppRangeAreRequests) {
    MSG m = {};
    m.message = 0x8002;
    EXPECT_TRUE(MailboxIsRequest(&m));
    ThreadMailbox* box = MailboxCreate(Twice);
    EXPECT_EQ(1, MailboxDispatch(box, &m)) << "without a reply block it stores nothing";
    EXPECT_EQ(0, MailboxDispatch(box, nullptr));
    MailboxDestroy(box);
    m.hwnd = reinterpret_cast<HWND>(1);  // posted to a module's own window
    EXPECT_FALSE(MailboxIsRequest(&m));
    m.hwnd = nullptr;
    for (UINT other : {0xC000u, static_cast<UINT>(WM_TIMER)}) {
        m.message = other;
        EXPECT_FALSE(MailboxIsRequest(&m));
    }
}
