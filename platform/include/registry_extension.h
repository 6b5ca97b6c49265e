// The substitute's registry functions beyond the Windows API, for the host
// programs: opening the registry file up front, and one store transaction
// around many registry calls. The system itself never calls them.
#pragma once
#include "windows.h"

// Opens the registry store now rather than at the first registry call, so that
// a host program can report a file it cannot use before doing anything.
// `create` FALSE leaves a missing file missing. Returns ERROR_SUCCESS with
// *writable (may be null) FALSE when the file may only be read, which makes
// every write fail with ERROR_ACCESS_DENIED; ERROR_FILE_NOT_FOUND for a missing
// file that is not to be created; ERROR_ACCESS_DENIED for a file that may not
// even be read; ERROR_NOT_REGISTRY_FILE for a file that is not a registry
// database (another program's, or no database at all), which is left as it
// was; ERROR_REGISTRY_IO_FAILED for anything else. The in-memory store (no
// file configured) always opens writable.
WINADVAPI LSTATUS WINAPI RegOpenStoreFile(BOOL create, BOOL *writable);

// Starts a store transaction: until it is committed or rolled back, every
// registry call of this thread runs inside it, and each call that fails still
// leaves nothing of itself while keeping what earlier calls did. Other
// processes see none of it before the commit; their writers wait for it, and
// registry calls of other threads of this process wait until it ends. Handles
// opened during it are closed by a rollback. Takes the store's write lock at
// once, waiting for another writer up to the busy timeout (20 seconds).
// Returns ERROR_SUCCESS; ERROR_BUSY when the other writer held on longer;
// ERROR_INVALID_STATE when this thread has a transaction already; what
// RegOpenStoreFile(TRUE, ...) returns when the store cannot be opened.
// A process that ends without committing keeps nothing of it.
WINADVAPI LSTATUS WINAPI RegBeginStoreTransaction(void);
// Makes everything of this thread's transaction durable at once and ends it.
// Returns ERROR_SUCCESS; ERROR_INVALID_STATE without a transaction; any other
// failure (ERROR_REGISTRY_IO_FAILED, e.g. for a full disk) after rolling the
// whole transaction back: it has ended and nothing of it was kept.
WINADVAPI LSTATUS WINAPI RegCommitStoreTransaction(void);
// Undoes everything of this thread's transaction and ends it. Returns
// ERROR_SUCCESS, or ERROR_INVALID_STATE without a transaction.
WINADVAPI LSTATUS WINAPI RegRollbackStoreTransaction(void);

// Starts a store snapshot: until RegEndStoreSnapshot, every registry call of
// this thread reads the store as it was at the snapshot's first read, without
// a transaction of its own, and any call that would write fails with
// ERROR_ACCESS_DENIED. Writers of other processes are not held up; registry
// calls of other threads of this process wait until it ends. Returns
// ERROR_SUCCESS; ERROR_INVALID_STATE when this thread has a transaction or a
// snapshot already; what RegOpenStoreFile(FALSE, ...) returns when the store
// cannot be opened.
WINADVAPI LSTATUS WINAPI RegBeginStoreSnapshot(void);
// Ends this thread's snapshot. Returns ERROR_SUCCESS, or ERROR_INVALID_STATE
// without one.
WINADVAPI LSTATUS WINAPI RegEndStoreSnapshot(void);
