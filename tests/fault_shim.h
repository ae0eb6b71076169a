/* Arms the fault shim (fault_shim.c) from a test program it is linked into. */
#ifndef ORBIVANE_TESTS_FAULT_SHIM_H
#define ORBIVANE_TESTS_FAULT_SHIM_H

#ifdef __cplusplus
extern "C" {
#endif

enum { kFaultSticky = 1, kFaultPartial = 2 };

/* From now on the nth call (from 1) of `call` on a file whose path contains
 * `pathPart` fails with `error`; resets the counts. */
void orbivane_fault_arm(const char* call, const char* pathPart, long nth, int error, int flags);
void orbivane_fault_disarm(void);
/* Calls failed and matching calls seen since arming. */
long orbivane_fault_fired(void);
long orbivane_fault_seen(void);

#ifdef __cplusplus
}
#endif

#endif
