#include "plugins/mailbox.h"

#include "core/runtime/memory.h"

namespace {
// Lives on the sender's stack while it waits.
struct ReplyBlock {
    HANDLE event;
    UINT_PTR result;
};

// Waits for the reply while still serving messages other threads send to
// this one: the owner may be creating or moving windows whose parent belongs
// to the sender, and without this both would wait for ever. Ends early when
// the owner thread ends without answering.
bool WaitForReply(HANDLE event, HANDLE thread) {
    HANDLE handles[2] = {event, thread};
    DWORD count = thread ? 2 : 1;
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(count, handles, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) return true;
        if (r == WAIT_OBJECT_0 + count) {
            MSG m;
            PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            continue;
        }
        // The owner ended (or the wait failed): its last act may still have
        // been the answer.
        return WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
    }
}
}  // namespace

ThreadMailbox* MailboxCreate(MailboxHandler handler) {
    if (!handler) return nullptr;
    ThreadMailbox* m = static_cast<ThreadMailbox*>(MemAllocZero(sizeof(ThreadMailbox)));
    m->handler = handler;
    return m;
}

void MailboxDestroy(ThreadMailbox* mailbox) {
    if (mailbox) MemFree(mailbox);
}

int MailboxBind(ThreadMailbox* mailbox) {
    if (!mailbox) return 0;
    MSG m;
    PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
    InterlockedExchange(reinterpret_cast<volatile LONG*>(&mailbox->threadId), static_cast<LONG>(GetCurrentThreadId()));
    return 1;
}

void MailboxSetThread(ThreadMailbox* mailbox, HANDLE thread) {
    if (mailbox) mailbox->thread = thread;
}

bool MailboxIsOwner(const ThreadMailbox* mailbox) {
    return mailbox && mailbox->threadId && mailbox->threadId == GetCurrentThreadId();
}

void MailboxPost(ThreadMailbox* mailbox, UINT code, UINT_PTR parameter) {
    if (mailbox && mailbox->threadId) PostThreadMessageW(mailbox->threadId, code, parameter, 0);
}

UINT_PTR MailboxSend(ThreadMailbox* mailbox, UINT code, UINT_PTR parameter) {
    if (!mailbox) return MAILBOX_FAILED;
    DWORD owner = mailbox->threadId;
    if (owner == GetCurrentThreadId()) return mailbox->handler(code, parameter);
    if (!owner) return MAILBOX_FAILED;
    if (mailbox->thread && WaitForSingleObject(mailbox->thread, 0) == WAIT_OBJECT_0) return MAILBOX_FAILED;

    ReplyBlock reply = {CreateEventW(nullptr, TRUE, FALSE, nullptr), 0};
    if (!reply.event) return MAILBOX_FAILED;
    UINT_PTR result = MAILBOX_FAILED;
    if (PostThreadMessageW(owner, code, parameter, reinterpret_cast<LPARAM>(&reply)) &&
        WaitForReply(reply.event, mailbox->thread))
        result = reply.result;
    CloseHandle(reply.event);
    return result;
}

void MailboxReply(const MSG* message, UINT_PTR result) {
    if (!message || !message->lParam) return;
    ReplyBlock* reply = reinterpret_cast<ReplyBlock*>(message->lParam);
    reply->result = result;
    SetEvent(reply->event);
}

int MailboxDispatch(ThreadMailbox* mailbox, const MSG* message) {
    if (!mailbox || !message || !mailbox->handler) return 0;
    UINT_PTR result = mailbox->handler(message->message, message->wParam);
    MailboxReply(message, result);
    return 1;
}
