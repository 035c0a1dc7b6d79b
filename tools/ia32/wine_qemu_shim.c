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
 *
 * Built with gcc -m32 by tools/ia32.sh, which also builds an empty 64-bit library of
 * the same name, so that LD_PRELOAD="$dir/\$LIB/<name>" suits both kinds of process. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <signal.h>
#include <stdint.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/ucontext.h>
#include <unistd.h>

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

static void *raw_mmap(void *addr, size_t len, int prot, int flags, int fd, uint64_t offset)
{
    return (void *)syscall(SYS_mmap2, addr, len, prot, flags, fd, (unsigned long)(offset >> 12));
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
    syscall(SYS_munmap, got, len);
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

static void with_trap_number(int sig, siginfo_t *info, void *context)
{
    ucontext_t *uc = context;
    if (uc->uc_mcontext.gregs[REG_TRAPNO] == (greg_t)-1) uc->uc_mcontext.gregs[REG_TRAPNO] = trap_of(sig, info);
    handlers[sig](sig, info, context);
}

int sigaction(int sig, const struct sigaction *act, struct sigaction *old)
{
    static int (*real_sigaction)(int, const struct sigaction *, struct sigaction *);
    if (!real_sigaction) real_sigaction = (int (*)(int, const struct sigaction *, struct sigaction *))dlsym(RTLD_NEXT, "sigaction");
    if (sig <= 0 || sig >= NSIG || !is_fault_signal(sig)) return real_sigaction(sig, act, old);

    info_handler previous = handlers[sig];
    int result;
    if (act && (act->sa_flags & SA_SIGINFO) && act->sa_sigaction) {
        struct sigaction wrapped = *act;
        wrapped.sa_sigaction = with_trap_number;
        handlers[sig] = act->sa_sigaction;  /* before the signal can arrive */
        result = real_sigaction(sig, &wrapped, old);
        if (result != 0) handlers[sig] = previous;
    } else {
        result = real_sigaction(sig, act, old);
        if (result == 0 && act) handlers[sig] = 0;
    }
    if (result == 0 && old && old->sa_sigaction == with_trap_number) old->sa_sigaction = previous;
    return result;
}
