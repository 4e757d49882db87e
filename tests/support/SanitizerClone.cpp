// Linked into the test programs of a ThreadSanitizer build only (see cmake/TavinTargets.cmake).
//
// Qt starts a child program (QProcess: ffmpeg, ffprobe, tavin-cli in the tests) with
// clone(CLONE_VM | CLONE_VFORK): until it execs, the child runs in the parent's memory. The
// sanitizer takes every clone for a fork and, in the child, resets its thread list and turns
// checking off for the thread that forked, all in that shared memory: from then on the parent
// test reports no race at all, or dies at its next thread ("starting new threads after
// multi-threaded fork"). Without CLONE_VM the child gets its own copy, as after fork(), and the
// parent's checking is left alone; the parent still waits for the exec (CLONE_VFORK).

#include <linux/sched.h>
#include <sys/types.h>

#include <cstdarg>

extern "C" {

// The sanitizer's own handling of clone, which this one hands every call to.
int __interceptor_clone(
    int (*fn)(void *), void *stack, int flags, void *arg, pid_t *parentTid, void *tls, pid_t *childTid);

int clone(int (*fn)(void *), void *stack, int flags, void *arg, ...)
{
    va_list rest;
    va_start(rest, arg);
    pid_t *parentTid = va_arg(rest, pid_t *);
    void *tls = va_arg(rest, void *);
    pid_t *childTid = va_arg(rest, pid_t *);
    va_end(rest);
    constexpr int kSharedUntilExec = CLONE_VM | CLONE_VFORK;
    if ((flags & kSharedUntilExec) == kSharedUntilExec && !(flags & CLONE_THREAD))
        flags &= ~CLONE_VM;
    return __interceptor_clone(fn, stack, flags, arg, parentTid, tls, childTid);
}
}
