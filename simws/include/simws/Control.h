/*
 * Control interface of the simulated window server (libsimws).
 *
 * Tests and the desktop front end use these functions to put the window server
 * into a known state, look at what it holds and shows, and make its cursor
 * functions misbehave on purpose. None of them counts as a call of the cursor
 * interface: they are not journalled and no fault applies to them. Every
 * function is safe to call from any thread.
 *
 * Build targets (simws/CMakeLists.txt):
 *   simws               libsimws.so: every cursor function and this interface.
 *   simws_sls_only      only the "SLS" names, the four "CoreCursor" names and this interface.
 *   simws_no_scale      everything except the get- and set-scale functions.
 *   simws_no_set_scale  everything except the set-scale function.
 *   simws_empty         this interface and nothing of the cursor interface.
 *   simws_paths         an INTERFACE target: linking it makes sure the libraries
 *                       are built, puts this header on the include path and
 *                       defines the libraries' absolute paths as string macros
 *                       TOLVANE_SIMWS_PATH, TOLVANE_SIMWS_SLS_ONLY_PATH,
 *                       TOLVANE_SIMWS_NO_SCALE_PATH, TOLVANE_SIMWS_NO_SET_SCALE_PATH,
 *                       TOLVANE_SIMWS_EMPTY_PATH.
 * Each library has its own state; a variant's control functions are reached
 * with dlsym on the variant's handle.
 */
#ifndef TOLVANE_SIMWS_CONTROL_H
#define TOLVANE_SIMWS_CONTROL_H

#include "runtime/WindowServerInterface.h"

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The connection CGSMainConnectionID hands out; every other connection is refused. */
#define TVWS_MAIN_CONNECTION_ID 47603

/* Statuses the cursor functions return besides 0. */
enum {
    TVWS_STATUS_FAILURE = 1000,
    TVWS_STATUS_ILLEGAL_ARGUMENT = 1001,   /* bad name, number, array, size or pointer */
    TVWS_STATUS_INVALID_CONNECTION = 1002, /* not TVWS_MAIN_CONNECTION_ID */
    TVWS_STATUS_RANGE_CHECK = 1007,        /* buffer too small for the cursor data */
    TVWS_STATUS_NONE_AVAILABLE = 1011      /* no cursor registered under that name */
};

/* Cursor sizes above this many points are refused at registration. */
#define TVWS_MAX_CURSOR_POINTS 256.0

/* The cursor functions, in the order of the runtime's table. A fault injected
 * for a function applies to both of its names ("CGS..." and "SLS..."). */
typedef enum TVWSFunction {
    TVWS_FN_MAIN_CONNECTION_ID,
    TVWS_FN_REGISTER_CURSOR_WITH_IMAGES,
    TVWS_FN_REGISTER_CURSOR_WITH_IMAGE,
    TVWS_FN_COPY_REGISTERED_CURSOR_IMAGES,
    TVWS_FN_SET_REGISTERED_CURSOR,
    TVWS_FN_CREATE_REGISTERED_CURSOR_IMAGE,
    TVWS_FN_CURSOR_NAME_FOR_SYSTEM_CURSOR,
    TVWS_FN_SET_DOCK_CURSOR_OVERRIDE,
    TVWS_FN_SET_SYSTEM_DEFINED_CURSOR,
    TVWS_FN_SET_SYSTEM_DEFINED_CURSOR_WITH_SEED,
    TVWS_FN_SHOW_CURSOR,
    TVWS_FN_HIDE_CURSOR,
    TVWS_FN_GET_CURSOR_SCALE,
    TVWS_FN_SET_CURSOR_SCALE,
    TVWS_FN_CORE_CURSOR_UNREGISTER_ALL,
    TVWS_FN_CORE_CURSOR_SET,
    TVWS_FN_CORE_CURSOR_SET_AND_RETURN_SEED,
    TVWS_FN_CORE_CURSOR_COPY_IMAGES,
    TVWS_FN_REMOVE_REGISTERED_CURSOR,
    TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE,
    TVWS_FN_GET_GLOBAL_CURSOR_DATA,
    TVWS_FN_CURRENT_CURSOR_SEED,
    TVWS_FUNCTION_COUNT
} TVWSFunction;

/*
 * What an injected fault does instead of the function's work. A faulted call
 * changes no state.
 *   STATUS          functions returning a status return `value`;
 *                   CGSMainConnectionID and CGSCurrentCursorSeed return `value`.
 *   NULL_RESULT     CGSCreateRegisteredCursorImage and CGSCursorNameForSystemCursor
 *                   return NULL.
 *   NO_ARRAY        the two copy functions return 0, fill the geometry, and
 *                   leave the array out-argument NULL.
 *   EMPTY_ARRAY     the copy functions return 0 with an empty array.
 *   NON_IMAGE_ONLY  the copy functions return 0 with an array holding one object
 *                   that is not an image; CGSCreateRegisteredCursorImage returns
 *                   such an object.
 *   NON_IMAGE_FIRST the copy functions return 0 with a non-image object in front
 *                   of the cursor's images.
 *   SHORT_DATA      CGSGetGlobalCursorDataSize reports `value` bytes fewer;
 *                   CGSGetGlobalCursorData writes and reports `value` bytes fewer.
 *   LONG_DATA       CGSGetGlobalCursorDataSize reports `value` bytes more;
 *                   CGSGetGlobalCursorData writes the data but reports `value` more.
 * The copy functions fill the geometry of their faulted results from the named
 * cursor when it exists.
 */
typedef enum TVWSFaultKind {
    TVWS_FAULT_NONE,
    TVWS_FAULT_STATUS,
    TVWS_FAULT_NULL_RESULT,
    TVWS_FAULT_NO_ARRAY,
    TVWS_FAULT_EMPTY_ARRAY,
    TVWS_FAULT_NON_IMAGE_ONLY,
    TVWS_FAULT_NON_IMAGE_FIRST,
    TVWS_FAULT_SHORT_DATA,
    TVWS_FAULT_LONG_DATA
} TVWSFaultKind;

/* Registrations made with the set-globally flag are seen by every application;
 * the others only by the caller's connection, where they hide a global one of
 * the same name. */
typedef enum TVWSScope { TVWS_SCOPE_GLOBAL, TVWS_SCOPE_CONNECTION } TVWSScope;

typedef struct TVWSCursorInfo {
    TVWSSize size;     /* points */
    TVWSPoint hotSpot; /* points from the top-left corner */
    size_t frameCount;
    double frameDuration;
    /* Every image of the cursor; the caller releases it. Images come grouped by
     * representation: frameCount frames of the first, then of the next. */
    TVWSArrayRef images;
    /* 1 while the cursor shows the system's own artwork (not registered over). */
    int isSystemArtwork;
} TVWSCursorInfo;

/* ---- State ---- */

/* A fresh window server: system cursors only, the arrow displayed by another
 * application, seed 1, scale 1.0, cursor shown, dock override off, no faults,
 * empty journal. */
void tvws_reset(void);
/* The same, but the system cursors carry images at these pixel densities, in
 * this order, instead of 1x, 2x, 5x and 10x, until the next reset: a test that
 * does not look at every density runs on far fewer pixels. 1 to 8 densities,
 * each from 0.5 to 32. Returns 0, or -1 (and changes nothing) otherwise. */
int tvws_reset_with_densities(const double* densities, size_t count);

/* Sorted names registered in the scope, NULL-terminated; free with tvws_free_names. */
char** tvws_copy_registered_names(TVWSScope scope, size_t* outCount);
void tvws_free_names(char** names);

/* The cursor registered under the name in the scope. Returns 0, or -1 when there
 * is none (info untouched). */
int tvws_copy_registered_cursor(TVWSScope scope, const char* name, TVWSCursorInfo* info);

/* The system's own artwork for a numbered system cursor, whatever is registered
 * over it now. Returns 0, or -1 for an unknown number. */
int tvws_copy_system_cursor(int32_t number, TVWSCursorInfo* info);

/* ---- The displayed cursor ---- */

/* The name of the displayed cursor; free with tvws_free. */
char* tvws_copy_displayed_name(void);
/* 1 when another application chose the displayed cursor, 0 when the caller's
 * connection did. */
int tvws_displayed_by_other_application(void);
/* The pixels on screen (what CGSGetGlobalCursorData returns), drawn at the
 * current scale: the caller releases the image. outHotSpot in pixels, may be NULL. */
TVWSImageRef tvws_copy_displayed_image(TVWSPoint* outHotSpot);
int32_t tvws_seed(void);
/* Moves whenever a registration is added, replaced or removed (in either scope). */
uint64_t tvws_registry_generation(void);
float tvws_scale(void);
/* Hide calls not yet balanced by show calls; the cursor is visible at 0. */
int tvws_hide_count(void);
int tvws_dock_override_enabled(void);

/* Another application shows the globally registered cursor of that name.
 * Returns 0, or TVWS_STATUS_NONE_AVAILABLE when there is no such cursor. */
int32_t tvws_simulate_foreign_cursor_change(const char* name);

/* ---- Faults ---- */

/* Every later call of the function suffers the fault until cleared; TVWS_FAULT_NONE
 * removes it. Returns 0, or -1 when the kind does not apply to the function. */
int tvws_inject_fault(TVWSFunction function, TVWSFaultKind kind, int32_t value);
/* Only calls naming this cursor (functions taking a name). Takes precedence over
 * a fault for every call. */
int tvws_inject_fault_for_name(TVWSFunction function, const char* name, TVWSFaultKind kind,
                               int32_t value);
/* Only calls with this cursor number (functions taking a number). */
int tvws_inject_fault_for_number(TVWSFunction function, int32_t number, TVWSFaultKind kind,
                                 int32_t value);
void tvws_clear_faults(void);

/* ---- Calls ---- */

/* How often the cursor interface was called through this exported name
 * ("CGSSetCursorScale", "SLSSetCursorScale", "CoreCursorSet") since the reset. */
unsigned tvws_call_count(const char* symbol);
/* One line per call, oldest first (the last 4096 calls): the exported name, then
 * the arguments as name=value, e.g. "CGSSetCursorScale scale=1.3" or
 * "CoreCursorSet cursor=7". Free with tvws_free. */
char* tvws_copy_call_journal(void);
void tvws_free(void* pointer);

#ifdef __cplusplus
}
#endif

#endif
