// Linked into the test programs of a ThreadSanitizer build only (see cmake/TavinTargets.cmake): what
// the sanitizer needs to follow threads that meet inside Qt and the other libraries we call.

#include <QMutex>

#include <sanitizer/tsan_interface.h>

#include <dlfcn.h>
#include <pthread.h>

#include <cstdlib>
#include <cstring>

// Only our code is instrumented. What the libraries do to memory reaches the sanitizer only through
// the C library calls they make (malloc, free, memcpy, memset, file descriptor calls), while they
// order their threads mostly with atomics and futexes it cannot see: Qt's event queue, its thread
// pool, QString's shared data, GLib's main loop, the web engine's threads. Every such call then
// looks like a race between two of the library's own threads, with stacks of unnamed frames that no
// suppression can name. So those calls' accesses are not checked (ignore_interceptors_accesses);
// their synchronisation still is (pthread mutexes and conditions, QThread's start and end, file
// descriptors written and read), and every access our code makes, including the Qt and standard
// library templates compiled into it, stays checked. The price: a memcpy or memset our code calls
// (not inlined) is not checked either.
extern "C" const char *__tsan_default_options()
{
    return "ignore_interceptors_accesses=1";
}

// With that option every intercepted call runs unchecked until it returns, and pthread_once runs
// its one-time function inside the call: QThread::create's threads run their function through
// std::call_once (a deferred std::future), so a BackgroundJob's work would go unchecked. The
// one-time function is checked again here, as without the option.
extern "C" {
// The sanitizer's own pthread_once, and its switch for ignoring the calling thread's accesses.
int __interceptor_pthread_once(pthread_once_t *once, void (*function)());
void __tsan_ignore_thread_begin();
void __tsan_ignore_thread_end();
}

namespace {

bool IgnoringLibraryAccesses()
{
    static const bool ignoring = [] {
        const char *options = std::getenv("TSAN_OPTIONS");
        const char *last = nullptr;
        for (const char *at = options; at && (at = std::strstr(at, "ignore_interceptors_accesses=")); ++at)
            last = at;
        return !last || last[std::strlen("ignore_interceptors_accesses=")] != '0';
    }();
    return ignoring;
}

thread_local void (*t_onceFunction)() = nullptr;

void RunOnceFunctionChecked()
{
    void (*function)() = t_onceFunction;
    __tsan_ignore_thread_end();
    function();
    __tsan_ignore_thread_begin();
}

} // namespace

extern "C" int pthread_once(pthread_once_t *once, void (*function)())
{
    if (!IgnoringLibraryAccesses())
        return __interceptor_pthread_once(once, function);
    void (*outer)() = t_onceFunction; // a one-time function may itself call another
    t_onceFunction = function;
    const int result = __interceptor_pthread_once(once, RunOnceFunctionChecked);
    t_onceFunction = outer;
    return result;
}

// A QMutex that nobody else holds is taken and given back by atomics inlined into the caller, which
// the sanitizer sees in our code. When another thread holds it, the inline code calls into QtCore,
// which waits on a futex and takes the lock with atomics of its own: the sanitizer sees neither,
// so whatever the mutex guards looks unguarded after every contended lock. These definitions
// replace QtCore's for our code and for the other Qt libraries (QtCore's own calls stay inside it),
// and tell the sanitizer about the lock at the same address the inline atomics use.
namespace {

template <typename Function> Function Original(const char *name)
{
    static_assert(sizeof(Function) == sizeof(void *));
    void *found = dlvsym(RTLD_NEXT, name, "Qt_6");
    if (!found)
        found = dlsym(RTLD_NEXT, name);
    Function function;
    __builtin_memcpy(&function, &found, sizeof function);
    return function;
}

} // namespace

void QBasicMutex::lockInternal() QT_MUTEX_LOCK_NOEXCEPT
{
    static const auto original = Original<void (*)(QBasicMutex *)>("_ZN11QBasicMutex12lockInternalEv");
    original(this);
    __tsan_acquire(this);
}

bool QBasicMutex::lockInternal(int timeout) QT_MUTEX_LOCK_NOEXCEPT
{
    static const auto original = Original<bool (*)(QBasicMutex *, int)>("_ZN11QBasicMutex12lockInternalEi");
    const bool locked = original(this, timeout);
    if (locked)
        __tsan_acquire(this);
    return locked;
}

void QBasicMutex::unlockInternal() noexcept
{
    static const auto original = Original<void (*)(QBasicMutex *)>("_ZN11QBasicMutex14unlockInternalEv");
    __tsan_release(this);
    original(this);
}
