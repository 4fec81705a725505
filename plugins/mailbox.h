#pragma once
// Hands work to the thread that owns a mailbox: posted (no reply) or sent
// (the sender waits for the handler's result). A send from the owning thread
// runs the handler inline, so handlers may call one another freely.
#include <windows.h>

typedef UINT_PTR(WINAPI* MailboxHandler)(UINT code, UINT_PTR parameter);

struct ThreadMailbox {
    DWORD threadId;          // 0 until the owner binds it
    MailboxHandler handler;
    HANDLE thread;           // the owner's handle (borrowed), so a send can tell it has ended
    volatile LONG abandoned; // the owner was given up on a hang; a new thread takes its work
};

// What a send returns when the request could not be delivered or answered:
// no mailbox, an owner that never bound it, or one that has ended.
const UINT_PTR MAILBOX_FAILED = 99;

ThreadMailbox* MailboxCreate(MailboxHandler handler);
void MailboxDestroy(ThreadMailbox* mailbox);
// On the owning thread: records its id and makes sure it has a queue.
int MailboxBind(ThreadMailbox* mailbox);
void MailboxSetThread(ThreadMailbox* mailbox, HANDLE thread);
bool MailboxIsOwner(const ThreadMailbox* mailbox);
void MailboxPost(ThreadMailbox* mailbox, UINT code, UINT_PTR parameter);
UINT_PTR MailboxSend(ThreadMailbox* mailbox, UINT code, UINT_PTR parameter);
// Sends to the mailbox *current points at. When its owner is given up while
// the request waits (or before it is delivered), the request goes again to
// the mailbox of the thread that replaces it.
UINT_PTR MailboxSendFollowing(ThreadMailbox* volatile* current, UINT code, UINT_PTR parameter);
// Runs the handler for a request taken from the owner's queue and answers the
// sender, if one waits. 0 when the mailbox, message or handler is null.
int MailboxDispatch(ThreadMailbox* mailbox, const MSG* message);
// Answers a waiting sender without running the handler (a dropped duplicate).
void MailboxReply(const MSG* message, UINT_PTR result);

// Requests are thread messages in the WM_APP range.
inline bool MailboxIsRequest(const MSG* m) { return !m->hwnd && m->message >= WM_APP && m->message < 0xC000; }
