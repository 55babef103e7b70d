// Runs one RPC client call and turns an exception of the RPC run time into a
// result: the stubs report a failed call (server not there, connection lost,
// bad data) by raising an exception, which must not leave the worker.
#ifndef VIX_PROGRESS_RPC_GUARD_H
#define VIX_PROGRESS_RPC_GUARD_H

namespace vix {

using GuardedCall = void (*)(void* arg);

// Calls call(arg). True when it returned; false when an exception of the
// RPC run time ended it, with its code in *pCode. Every frame of the call is
// unwound before this returns. The call must not throw C++ exceptions.
// Exceptions that mean a fault of the program itself (access violation,
// stack overflow, breakpoint ...) are not caught.
bool RunGuarded(GuardedCall call, void* arg, unsigned long* pCode);

// The filter: true for the codes RunGuarded catches.
bool IsCaughtRpcException(unsigned long code);

}  // namespace vix

#endif
