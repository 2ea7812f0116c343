#pragma once
// Ends this process at once with `status`, after flushing the C streams,
// without the exit routines of the program or its libraries: for an exit
// while a thread is still inside a driver that holds the driver's locks.
[[noreturn]] void EndProcessNow(int status);
