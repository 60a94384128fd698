// Windows side of the platform seam, DLL only: what the DLL gives back when
// a program unloads it with FreeLibrary.
//
// The C++ and GCC runtimes are linked into the DLL, and their threads layer
// takes from the process what it never gives back: a semaphore for the lock
// of the exception frame registry, which every 32-bit load fills, and for
// the lock of the emulated thread-local storage, and a TLS slot for that
// storage's key, once an exception has been thrown. A host that loads and
// unloads the DLL in a loop (plugin and script hosts do) would hold a
// thousand stray semaphores after a thousand rounds, and run out of TLS
// slots. So the DLL keeps a list of the semaphores and TLS slots that code
// inside it takes and has not given back: the link routes the DLL's imports
// of CreateSemaphoreW, CloseHandle, TlsAlloc and TlsFree through the
// functions below (the link options of the DLL in CMakeLists.txt), which call the system's and
// note the result. When the DLL is unloaded, what is still on the list goes
// back to the system, and so does the runtime's emergency buffer for
// exceptions.
//
// A thread still running when the DLL goes keeps what the runtime gave it
// for an exception it saw inside the DLL (the emulated thread-local storage
// of that thread); a thread that ends before gives it back.
//
// This runs in DllMain, after every call into the DLL has returned. Only
// the runtime's exit handlers run later; the one that empties the frame
// registry takes its lock and drops it with no other thread waiting, which
// never touches the semaphore. At process exit nothing is done: the process
// gives everything back, and threads the system ended may have held these.
#include <windows.h>

namespace __gnu_cxx {
void __freeres() noexcept; // releases the runtime's emergency buffer for exceptions
}

namespace {

// What is still taken: semaphore handles, or TLS slots. The runtime takes a
// handful; one past the room is simply not noted.
template <typename T> class Taken {
  public:
    void add(T item) {
        AcquireSRWLockExclusive(&lock_);
        if (count_ < kRoom) items_[count_++] = item;
        ReleaseSRWLockExclusive(&lock_);
    }
    void remove(T item) {
        AcquireSRWLockExclusive(&lock_);
        for (int i = 0; i < count_; ++i) {
            if (items_[i] == item) {
                items_[i] = items_[--count_];
                break;
            }
        }
        ReleaseSRWLockExclusive(&lock_);
    }
    // Hands each item to give_back, newest first, and forgets them all.
    template <typename F> void give_back_all(F give_back) {
        AcquireSRWLockExclusive(&lock_);
        while (count_ > 0)
            give_back(items_[--count_]);
        ReleaseSRWLockExclusive(&lock_);
    }

  private:
    static constexpr int kRoom = 64;
    SRWLOCK lock_ = SRWLOCK_INIT;
    T items_[kRoom] = {};
    int count_ = 0;
};

Taken<HANDLE> g_semaphores;
Taken<DWORD> g_slots;

} // namespace

// The import slots. The linker names an import "__imp_" plus the function's
// symbol (on 32-bit x86, "_imp_" plus the stdcall symbol with its argument
// bytes); --wrap=X sends the DLL's references to X to "__wrap_X", and
// "__real_X" names the system's slot.
#if defined(__i386__)
#define VELK_IMPORT_SLOT(kind, name, bytes) "___" #kind "__imp__" #name "@" #bytes
#else
#define VELK_IMPORT_SLOT(kind, name, bytes) "__" #kind "___imp_" #name
#endif

using CreateSemaphoreFn = HANDLE(WINAPI *)(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR);
using CloseHandleFn = BOOL(WINAPI *)(HANDLE);
using TlsAllocFn = DWORD(WINAPI *)();
using TlsFreeFn = BOOL(WINAPI *)(DWORD);

extern "C" {
extern CreateSemaphoreFn real_create_semaphore __asm__(VELK_IMPORT_SLOT(real, CreateSemaphoreW, 16));
extern CloseHandleFn real_close_handle __asm__(VELK_IMPORT_SLOT(real, CloseHandle, 4));
extern TlsAllocFn real_tls_alloc __asm__(VELK_IMPORT_SLOT(real, TlsAlloc, 0));
extern TlsFreeFn real_tls_free __asm__(VELK_IMPORT_SLOT(real, TlsFree, 4));
}

namespace {

HANDLE WINAPI noted_create_semaphore(LPSECURITY_ATTRIBUTES security, LONG initial, LONG most, LPCWSTR name) {
    HANDLE semaphore = real_create_semaphore(security, initial, most, name);
    if (semaphore) g_semaphores.add(semaphore);
    return semaphore;
}

BOOL WINAPI noted_close_handle(HANDLE handle) {
    g_semaphores.remove(handle);
    return real_close_handle(handle);
}

DWORD WINAPI noted_tls_alloc() {
    const DWORD slot = real_tls_alloc();
    if (slot != TLS_OUT_OF_INDEXES) g_slots.add(slot);
    return slot;
}

BOOL WINAPI noted_tls_free(DWORD slot) {
    g_slots.remove(slot);
    return real_tls_free(slot);
}

} // namespace

extern "C" {
CreateSemaphoreFn wrap_create_semaphore __asm__(VELK_IMPORT_SLOT(wrap, CreateSemaphoreW,
                                                                 16)) = noted_create_semaphore;
CloseHandleFn wrap_close_handle __asm__(VELK_IMPORT_SLOT(wrap, CloseHandle, 4)) = noted_close_handle;
TlsAllocFn wrap_tls_alloc __asm__(VELK_IMPORT_SLOT(wrap, TlsAlloc, 0)) = noted_tls_alloc;
TlsFreeFn wrap_tls_free __asm__(VELK_IMPORT_SLOT(wrap, TlsFree, 4)) = noted_tls_free;

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID process_ends) {
    if (reason == DLL_PROCESS_DETACH && !process_ends) {
        g_semaphores.give_back_all([](HANDLE semaphore) { real_close_handle(semaphore); });
        g_slots.give_back_all([](DWORD slot) { real_tls_free(slot); });
        __gnu_cxx::__freeres();
    }
    return TRUE;
}
}
