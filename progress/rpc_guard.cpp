// The guard frame is written by hand for each architecture, because the
// compiler has no structured exception handling of its own:
// - x86: an exception registration record on the stack whose handler, when
//   the filter takes the exception, unwinds every frame above it with
//   RtlUnwind and then resumes in the guard with the guard's own frame
//   pointer, as a compiler's __except does.
// - x64: a function with unwind information whose scope table sends the
//   exception to our filter through __C_specific_handler; the system then
//   unwinds to the scope's target.
#include "progress/rpc_guard.h"

#include <windows.h>

extern "C" int vix_seh_guard(vix::GuardedCall call, void* arg, unsigned long* pCode);

namespace vix {

bool IsCaughtRpcException(unsigned long code) {
    switch (code) {
    case STATUS_ACCESS_VIOLATION:
    case 0xC0000194u:  // possible deadlock
    case 0xC00000AAu:  // instruction misalignment
    case STATUS_DATATYPE_MISALIGNMENT:
    case STATUS_PRIVILEGED_INSTRUCTION:
    case STATUS_ILLEGAL_INSTRUCTION:
    case STATUS_BREAKPOINT:
    case STATUS_STACK_OVERFLOW:
    case 0xC0000235u:  // handle not closable
    case STATUS_IN_PAGE_ERROR:
    case STATUS_ASSERTION_FAILURE:
    case STATUS_STACK_BUFFER_OVERRUN:
    case STATUS_GUARD_PAGE_VIOLATION:
    case STATUS_INTEGER_DIVIDE_BY_ZERO:
    case STATUS_NONCONTINUABLE_EXCEPTION:
    case 0x20474343u:  // a C++ exception of this compiler
    case 0xE06D7363u:  // a C++ exception of another compiler
        return false;
    default:
        return true;
    }
}

bool RunGuarded(GuardedCall call, void* arg, unsigned long* pCode) {
    unsigned long code = 0;
    bool ok = vix_seh_guard(call, arg, &code) != 0;
    if (pCode) *pCode = ok ? 0 : code;
    return ok;
}

}  // namespace vix

#if defined(__i386__)

// The registration record the guard pushes: the chain link and handler the
// system reads, then what the handler needs to resume.
struct GuardFrame {
    void* next;
    void* handler;
    void* savedEbp;
    unsigned long* pCode;
};

extern "C" void vix_seh_resume(GuardFrame* frame) __attribute__((noreturn));

extern "C" EXCEPTION_DISPOSITION __cdecl vix_seh_handler(EXCEPTION_RECORD* rec, void* establisher, CONTEXT*, void*) {
    if (rec->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    if (rec->ExceptionFlags & EXCEPTION_NONCONTINUABLE) return ExceptionContinueSearch;
    if (!vix::IsCaughtRpcException(rec->ExceptionCode)) return ExceptionContinueSearch;
    GuardFrame* frame = static_cast<GuardFrame*>(establisher);
    *frame->pCode = rec->ExceptionCode;
    // Runs the unwind handlers of every frame above ours (the run time's own
    // clean-up) and leaves our record at the head of the chain.
    RtlUnwind(frame, nullptr, rec, nullptr);
    vix_seh_resume(frame);
}

// int vix_seh_guard(call, arg, pCode)   (cdecl)
//   ebp-4..-12: saved ebx, esi, edi; ebp-28: the GuardFrame
__asm__(
    ".text\n"
    ".globl _vix_seh_guard\n"
    ".def _vix_seh_guard; .scl 2; .type 32; .endef\n"
    "_vix_seh_guard:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    pushl %ebx\n"
    "    pushl %esi\n"
    "    pushl %edi\n"
    "    pushl 16(%ebp)\n"            // pCode
    "    pushl %ebp\n"                // savedEbp
    "    pushl $_vix_seh_handler\n"   // handler
    "    pushl %fs:0\n"               // next
    "    movl %esp, %fs:0\n"
    "    andl $-16, %esp\n"
    "    subl $12, %esp\n"
    "    pushl 12(%ebp)\n"            // arg
    "    call *8(%ebp)\n"
    "    movl $1, %eax\n"
    "vix_seh_guard_out:\n"
    "    leal -28(%ebp), %esp\n"
    "    popl %ecx\n"
    "    movl %ecx, %fs:0\n"
    "    addl $12, %esp\n"
    "    popl %edi\n"
    "    popl %esi\n"
    "    popl %ebx\n"
    "    popl %ebp\n"
    "    ret\n"
    ".globl _vix_seh_resume\n"
    ".def _vix_seh_resume; .scl 2; .type 32; .endef\n"
    "_vix_seh_resume:\n"
    "    movl 4(%esp), %eax\n"
    "    movl 8(%eax), %ebp\n"
    "    xorl %eax, %eax\n"
    "    jmp vix_seh_guard_out\n");

#elif defined(__x86_64__)

// The scope's filter; the guard keeps pCode at [frame + 32].
extern "C" LONG vix_seh_filter(EXCEPTION_POINTERS* ep, void* establisher) {
    unsigned long code = ep->ExceptionRecord->ExceptionCode;
    if (!vix::IsCaughtRpcException(code)) return EXCEPTION_CONTINUE_SEARCH;
    if (ep->ExceptionRecord->ExceptionFlags & EXCEPTION_NONCONTINUABLE) return EXCEPTION_CONTINUE_SEARCH;
    unsigned long* pCode = *reinterpret_cast<unsigned long**>(static_cast<char*>(establisher) + 32);
    *pCode = code;
    return EXCEPTION_EXECUTE_HANDLER;
}

__asm__(
    ".text\n"
    ".globl vix_seh_guard\n"
    ".def vix_seh_guard; .scl 2; .type 32; .endef\n"
    ".seh_proc vix_seh_guard\n"
    "vix_seh_guard:\n"
    "    subq $40, %rsp\n"
    "    .seh_stackalloc 40\n"
    "    .seh_endprologue\n"
    "    movq %r8, 32(%rsp)\n"
    "    movq %rcx, %rax\n"
    "    movq %rdx, %rcx\n"
    "vix_seh_guard_begin:\n"
    "    callq *%rax\n"
    "    nop\n"
    "vix_seh_guard_end:\n"
    "    movl $1, %eax\n"
    "    jmp vix_seh_guard_out\n"
    "vix_seh_guard_catch:\n"
    "    xorl %eax, %eax\n"
    "vix_seh_guard_out:\n"
    "    addq $40, %rsp\n"
    "    ret\n"
    "    .seh_handler __C_specific_handler, @except\n"
    "    .seh_handlerdata\n"
    "    .long 1\n"
    "    .rva vix_seh_guard_begin, vix_seh_guard_end, vix_seh_filter, vix_seh_guard_catch\n"
    "    .text\n"
    ".seh_endproc\n");

#else
#error "the RPC guard is written for x86 and x64"
#endif
