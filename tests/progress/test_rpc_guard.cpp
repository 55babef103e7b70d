// The guard around RPC client calls: what it catches, that it unwinds and
// resumes cleanly (again and again, nested), and what it lets pass.
#include <gtest/gtest.h>
#include <windows.h>
#include <rpc.h>

#include <ostream>
#include <stdexcept>

#include "progress/rpc_guard.h"

using vix::RunGuarded;

namespace {

void RaiseCode(void* arg) {
    RaiseException(*static_cast<DWORD*>(arg), 0, 0, nullptr);
    *static_cast<DWORD*>(arg) = 0;  // not reached when caught
}

void Returns(void* arg) { *static_cast<int*>(arg) += 1; }

// Raises from a few frames down, with locals the compiler keeps in
// registers across the calls.
int __attribute__((noinline)) Deep(int depth, DWORD code) {
    volatile int pad[16];
    for (int i = 0; i < 16; ++i) pad[i] = i * depth;
    if (depth == 0) RaiseException(code, 0, 0, nullptr);
    else Deep(depth - 1, code);
    return pad[3];
}

void RaiseDeep(void* arg) { Deep(5, *static_cast<DWORD*>(arg)); }

void InnerGuard(void* arg) {
    DWORD code = RPC_S_CALL_FAILED;
    unsigned long caught = 0;
    *static_cast<bool*>(arg) = !RunGuarded(RaiseCode, &code, &caught) && caught == RPC_S_CALL_FAILED;
}

LONG g_unhandledCode = 0;
LONG WINAPI ContinueAfter(EXCEPTION_POINTERS* ep) {
    g_unhandledCode = static_cast<LONG>(ep->ExceptionRecord->ExceptionCode);
    return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

struct CodeCase {
    friend void PrintTo(const CodeCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    DWORD code;
};

class GuardCatches : public ::testing::TestWithParam<CodeCase> {};

TEST_P(GuardCatches, RunTimeErrorBecomesAFailedCall) {
    DWORD code = GetParam().code;
    unsigned long caught = 0;
    EXPECT_FALSE(RunGuarded(RaiseCode, &code, &caught));
    EXPECT_EQ(caught, GetParam().code);
    EXPECT_EQ(code, GetParam().code) << "the rest of the call did not run";
}

INSTANTIATE_TEST_SUITE_P(Codes, GuardCatches,
                         ::testing::Values(CodeCase{"ServerUnavailable", RPC_S_SERVER_UNAVAILABLE},
                                           CodeCase{"CallFailed", RPC_S_CALL_FAILED},
                                           CodeCase{"BadStubData", RPC_X_BAD_STUB_DATA},
                                           CodeCase{"InvalidBinding", RPC_S_INVALID_BINDING}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RpcGuard, ReturningCallIsSuccess) {
    int n = 0;
    unsigned long caught = 123;
    EXPECT_TRUE(RunGuarded(Returns, &n, &caught));
    EXPECT_EQ(n, 1);
    EXPECT_EQ(caught, 0u);
}

TEST(RpcGuard, ResumesWithTheCallersStateAgainAndAgain) {
    // Locals live across the guarded calls; a guard that resumed with a
    // wrong frame or left its record in the chain would break them or the
    // next exception.
    volatile int a = 11, b = 22;
    int sum = 0;
    for (int i = 0; i < 2000; ++i) {
        DWORD code = RPC_S_SERVER_UNAVAILABLE;
        unsigned long caught = 0;
        ASSERT_FALSE(RunGuarded(i % 2 ? RaiseDeep : RaiseCode, &code, &caught));
        ASSERT_EQ(caught, static_cast<unsigned long>(RPC_S_SERVER_UNAVAILABLE));
        sum += a + b;
    }
    EXPECT_EQ(sum, 2000 * 33);
    // C++ exceptions still work after all that unwinding.
    bool cxx = false;
    try {
        throw std::runtime_error("after");
    } catch (const std::runtime_error&) {
        cxx = true;
    }
    EXPECT_TRUE(cxx);
}

TEST(RpcGuard, NestedGuardsCatchAtTheInnermost) {
    bool innerCaught = false;
    unsigned long caught = 0;
    EXPECT_TRUE(RunGuarded(InnerGuard, &innerCaught, &caught));
    EXPECT_TRUE(innerCaught);
}

TEST(RpcGuard, FaultsOfTheProgramPassThrough) {
    EXPECT_FALSE(vix::IsCaughtRpcException(STATUS_ACCESS_VIOLATION));
    EXPECT_FALSE(vix::IsCaughtRpcException(STATUS_STACK_OVERFLOW));
    EXPECT_TRUE(vix::IsCaughtRpcException(RPC_S_SERVER_UNAVAILABLE));
    // A code the guard does not take reaches the process's last handler,
    // which here lets the raiser continue.
    LPTOP_LEVEL_EXCEPTION_FILTER old = SetUnhandledExceptionFilter(ContinueAfter);
    DWORD code = STATUS_INTEGER_DIVIDE_BY_ZERO;
    unsigned long caught = 0;
    g_unhandledCode = 0;
    EXPECT_TRUE(RunGuarded(RaiseCode, &code, &caught));
    SetUnhandledExceptionFilter(old);
    EXPECT_EQ(static_cast<DWORD>(g_unhandledCode), static_cast<DWORD>(STATUS_INTEGER_DIVIDE_BY_ZERO));
    EXPECT_EQ(code, 0u) << "the call went on after the exception";
}
