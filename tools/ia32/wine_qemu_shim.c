/* Preloaded into Wine's 32-bit processes when they run under qemu-i386 user-mode
 * emulation (on a kernel that runs no 32-bit code itself). It makes the few system
 * calls in which qemu 7.2 answers otherwise than Linux answer as Linux does, so that
 * Wine's 32-bit side behaves as on a machine that runs it natively:
 *
 *   - mmap with MAP_FIXED_NOREPLACE: qemu takes the address as a mere hint and maps
 *     elsewhere when it is taken, where Linux fails with EEXIST. Wine then keeps
 *     mappings it did not ask for, up to the page it needs for the shared user data.
 *   - mmap of a file at an offset that is not page-aligned: Linux fails with EINVAL
 *     (and Wine reads the section instead); qemu maps the wrong bytes. Every image
 *     with a file alignment of 512, Wine's own DLLs among them, is hit.
 *   - the trap number in a signal's context: qemu leaves it at -1, so Wine takes every
 *     page fault (a guard page, a stack growing) for an illegal instruction.
 *   - set_thread_area: qemu keeps one descriptor table for all threads of a process,
 *     where Linux keeps the thread-local entries per thread. Whenever a thread loads
 *     its %fs or %gs selector again (Wine does in every signal handler, qemu does on
 *     every return from one), it gets the base of the thread that set the entry last:
 *     another thread's TEB or C library thread block. An exception raised in one
 *     thread was then seen to go on in another thread's TEB and end the process.
 *     So Wine is told that set_thread_area cannot allocate an entry, and gives each
 *     thread a local descriptor table entry of its own for %fs instead, as it does
 *     where the call is missing; and each thread's %gs moves to a local entry of its
 *     own as the thread starts (see pthread_create below).
 *
 * Built with gcc -m32 by tools/ia32.sh, which also builds an empty 64-bit library of
 * the same name, so that LD_PRELOAD="$dir/\$LIB/<name>" suits both kinds of process. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <stdint.h>
#include <stdlib.h>
#include <time.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <stdarg.h>
#include <sys/ucontext.h>
#include <unistd.h>
#include <asm/ldt.h>

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

typedef long (*syscall_function)(long, ...);

static syscall_function real_syscall(void)
{
    static syscall_function real;
    if (!real) real = (syscall_function)dlsym(RTLD_NEXT, "syscall");
    return real;
}

long syscall(long number, ...)
{
    /* Six arguments, the most a system call takes; reading more than the caller
     * passed only reads its stack frame. */
    va_list args;
    va_start(args, number);
    long a[6];
    for (int i = 0; i < 6; i++) a[i] = va_arg(args, long);
    va_end(args);
    /* A request for a new thread-local entry; Wine makes it once, for %fs. */
    if (number == SYS_set_thread_area && a[0] && ((struct user_desc *)a[0])->entry_number == (unsigned)-1) {
        errno = ENOSYS;
        return -1;
    }
    return real_syscall()(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}

static void *raw_mmap(void *addr, size_t len, int prot, int flags, int fd, uint64_t offset)
{
    return (void *)real_syscall()(SYS_mmap2, addr, len, prot, flags, fd, (unsigned long)(offset >> 12));
}

static void *linux_mmap(void *addr, size_t len, int prot, int flags, int fd, uint64_t offset)
{
    if (!(flags & MAP_ANONYMOUS) && (offset & 4095)) {
        errno = EINVAL;
        return MAP_FAILED;
    }
    if (!(flags & MAP_FIXED_NOREPLACE)) return raw_mmap(addr, len, prot, flags, fd, offset);
    /* qemu maps at a free hint exactly, and elsewhere only when the hint is taken. */
    void *got = raw_mmap(addr, len, prot, flags & ~MAP_FIXED_NOREPLACE, fd, offset);
    if (got == MAP_FAILED || got == addr) return got;
    real_syscall()(SYS_munmap, got, len);
    errno = EEXIST;
    return MAP_FAILED;
}

void *mmap(void *addr, size_t len, int prot, int flags, int fd, off_t offset)
{
    return linux_mmap(addr, len, prot, flags, fd, (uint64_t)(unsigned long)offset);
}

void *mmap64(void *addr, size_t len, int prot, int flags, int fd, off64_t offset)
{
    return linux_mmap(addr, len, prot, flags, fd, (uint64_t)offset);
}

/* Trap numbers as the processor gives them. */
enum { TRAP_DIVIDE = 0, TRAP_DEBUG = 1, TRAP_BREAKPOINT = 3, TRAP_INVALID_OPCODE = 6, TRAP_PROTECTION = 13,
       TRAP_PAGE_FAULT = 14, TRAP_FPU = 16 };

typedef void (*info_handler)(int, siginfo_t *, void *);
static info_handler handlers[NSIG];

static int is_fault_signal(int sig)
{
    return sig == SIGSEGV || sig == SIGBUS || sig == SIGILL || sig == SIGFPE || sig == SIGTRAP;
}

static greg_t trap_of(int sig, const siginfo_t *info)
{
    switch (sig) {
    case SIGSEGV:
        return info->si_code == SEGV_MAPERR || info->si_code == SEGV_ACCERR ? TRAP_PAGE_FAULT : TRAP_PROTECTION;
    case SIGBUS: return TRAP_PAGE_FAULT;
    case SIGILL: return TRAP_INVALID_OPCODE;
    case SIGFPE: return info->si_code == FPE_INTDIV || info->si_code == FPE_INTOVF ? TRAP_DIVIDE : TRAP_FPU;
    default: return info->si_code == TRAP_BRKPT ? TRAP_BREAKPOINT : TRAP_DEBUG;
    }
}

/* The C library's thread block is where %gs points, and its first word points at
 * itself. Until a thread loads %gs again, the base qemu keeps for it is its own. */
static void *thread_block(void)
{
    void *self;
    __asm__ volatile("movl %%gs:0, %0" : "=r"(self));
    return self;
}

static unsigned int get_gs(void)
{
    unsigned int gs;
    __asm__ volatile("movw %%gs, %w0" : "=q"(gs));
    return gs & 0xffff;
}

static void set_gs(unsigned int gs)
{
    __asm__ volatile("movw %w0, %%gs" : : "q"(gs));
}

static int is_global_entry(unsigned int sel) { return !(sel & 4) && sel >= 8; }

/* Points a global thread-local entry at this thread's block. The C library makes the
 * call through its thread block, so %gs must still select the right one meanwhile. */
static void set_global_entry(unsigned int sel, void *base)
{
    if (!base || !is_global_entry(sel)) return;
    struct user_desc entry = { .entry_number = sel >> 3, .base_addr = (unsigned long)base, .limit = 0xfffff,
                               .seg_32bit = 1, .limit_in_pages = 1, .useable = 1 };
    real_syscall()(SYS_set_thread_area, &entry);
}

/* Each thread's %gs selects a local descriptor table entry of its own, which no other
 * thread changes. Entries from 512 on are Wine's (it leaves those below to the C
 * library when %gs is a local one). */
enum { FIRST_GS_ENTRY = 16, LAST_GS_ENTRY = 511 };
static int next_gs_entry = FIRST_GS_ENTRY;
static unsigned int global_gs;  /* the C library's own selector, for starting threads */

static void own_gs_entry(void)
{
    void *self = thread_block();
    int index = __atomic_fetch_add(&next_gs_entry, 1, __ATOMIC_RELAXED);
    if (index > LAST_GS_ENTRY) {  /* stays on the global entry */
        static const char note[] = "wine_qemu_shim: no %gs entry left for a new thread\n";
        if (index == LAST_GS_ENTRY + 1) write(2, note, sizeof note - 1);
        return;
    }
    struct user_desc entry = { .entry_number = index, .base_addr = (unsigned long)self, .limit = 0xfffff,
                               .seg_32bit = 1, .limit_in_pages = 1, .useable = 1 };
    if (real_syscall()(SYS_modify_ldt, 1, &entry, sizeof entry) == 0) set_gs((index << 3) | 7);
}

static void wrapped_handler(int sig, siginfo_t *info, void *context)
{
    void *self = thread_block();
    const unsigned int interrupted_gs = get_gs();
    set_global_entry(interrupted_gs, self);  /* for a thread on the global entry */
    ucontext_t *uc = context;
    if (is_fault_signal(sig) && uc->uc_mcontext.gregs[REG_TRAPNO] == (greg_t)-1)
        uc->uc_mcontext.gregs[REG_TRAPNO] = trap_of(sig, info);
    handlers[sig](sig, info, context);
    /* Returning loads the interrupted selector again; another thread may have set
     * the entry meanwhile. */
    set_global_entry(interrupted_gs, self);
}

/* qemu makes the local descriptor table on the first call that writes to it, and only
 * threads started after that call see it: so the first thread takes its entry before
 * Wine starts any other. */
__attribute__((constructor)) static void take_gs_entry_of_first_thread(void)
{
    global_gs = get_gs();
    if (is_global_entry(global_gs)) own_gs_entry();
}

struct thread_start {
    void *(*routine)(void *);
    void *arg;
    int switched;
    int users;  /* the creator and the new thread: the last one frees it */
};

static void release(struct thread_start *start)
{
    if (__atomic_sub_fetch(&start->users, 1, __ATOMIC_ACQ_REL) == 0) free(start);
}

static void *started_thread(void *param)
{
    struct thread_start *start = param;
    void *(*routine)(void *) = start->routine;
    void *arg = start->arg;
    own_gs_entry();
    __atomic_store_n(&start->switched, 1, __ATOMIC_RELEASE);
    release(start);
    return routine(arg);
}

static double seconds(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

/* The C library gives a new thread the global entry number of its creator's %gs, and
 * qemu loads the new thread's %gs with its creator's selector: so the creator goes
 * back to the global entry for the call, and waits until the new thread has an entry
 * of its own, before a third thread can set the global one again. Every wait is
 * bounded: at worst a thread runs on the global entry, as without this library. */
int pthread_create(pthread_t *thread, const pthread_attr_t *attr, void *(*routine)(void *), void *arg)
{
    static int (*real_create)(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *);
    static int busy;
    if (!real_create)
        real_create = (int (*)(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *))dlsym(RTLD_NEXT, "pthread_create");
    unsigned int own = get_gs();
    struct thread_start *start = malloc(sizeof *start);
    if (is_global_entry(own) || !is_global_entry(global_gs) || !start) {
        free(start);
        return real_create(thread, attr, routine, arg);
    }
    *start = (struct thread_start){ routine, arg, 0, 2 };
    void *self = thread_block();
    const double until = seconds() + 2;
    int locked;
    while (!(locked = !__atomic_exchange_n(&busy, 1, __ATOMIC_ACQUIRE)) && seconds() < until) sched_yield();
    set_global_entry(global_gs, self);
    set_gs(global_gs);
    int result = real_create(thread, attr, started_thread, start);
    set_gs(own);
    if (result != 0) start->users = 1;  /* no new thread */
    while (result == 0 && !__atomic_load_n(&start->switched, __ATOMIC_ACQUIRE) && seconds() < until) sched_yield();
    if (locked) __atomic_store_n(&busy, 0, __ATOMIC_RELEASE);
    if (result == 0 && (!locked || !__atomic_load_n(&start->switched, __ATOMIC_ACQUIRE))) {
        static const char note[] = "wine_qemu_shim: a thread started on the shared %gs entry\n";
        write(2, note, sizeof note - 1);
    }
    release(start);
    return result;
}

int sigaction(int sig, const struct sigaction *act, struct sigaction *old)
{
    static int (*real_sigaction)(int, const struct sigaction *, struct sigaction *);
    if (!real_sigaction) real_sigaction = (int (*)(int, const struct sigaction *, struct sigaction *))dlsym(RTLD_NEXT, "sigaction");
    if (sig <= 0 || sig >= NSIG) return real_sigaction(sig, act, old);

    info_handler previous = handlers[sig];
    int result;
    if (act && (act->sa_flags & SA_SIGINFO) && act->sa_sigaction) {
        struct sigaction wrapped = *act;
        wrapped.sa_sigaction = wrapped_handler;
        handlers[sig] = act->sa_sigaction;  /* before the signal can arrive */
        result = real_sigaction(sig, &wrapped, old);
        if (result != 0) handlers[sig] = previous;
    } else {
        result = real_sigaction(sig, act, old);
        if (result == 0 && act) handlers[sig] = 0;
    }
    if (result == 0 && old && old->sa_sigaction == wrapped_handler) old->sa_sigaction = previous;
    return result;
}
