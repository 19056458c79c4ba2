#pragma once
/* Objects in shared libraries, called by dispatch id.
 *
 * A library that serves objects exports two C functions: one creates an
 * object by its programmatic identifier, the other tells whether no object
 * of the library is alive any more. An object is a pointer to a table of
 * functions: invoke a member by its dispatch id (a property get, a property
 * put or a method call, with positional arguments), attach an event sink,
 * start with default properties or load saved ones, save its properties,
 * and release it.
 *
 * Only plain C types cross the boundary, so the library and its host need
 * not share a compiler's C++ conventions. Texts are UTF-8 and are valid
 * only during the call that hands them over: whoever receives one copies it.
 */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define DISPATCH_ABI_VERSION 1

/* Kinds of invoke. */
#define DISPATCH_METHOD 1
#define DISPATCH_PROPERTYGET 2
#define DISPATCH_PROPERTYPUT 4

/* Value types. */
#define DISPATCH_TYPE_EMPTY 0
#define DISPATCH_TYPE_LONG 3
#define DISPATCH_TYPE_DOUBLE 5
#define DISPATCH_TYPE_STRING 8
#define DISPATCH_TYPE_BOOL 11

/* Results of invoke and of creating an object. */
#define DISPATCH_OK 0
#define DISPATCH_E_MEMBERNOTFOUND ((int32_t)0x80020003)
#define DISPATCH_E_TYPEMISMATCH ((int32_t)0x80020005)
#define DISPATCH_E_EXCEPTION ((int32_t)0x80020009)     /* the member failed; the result is its description */
#define DISPATCH_E_BADINDEX ((int32_t)0x8002000B)
#define DISPATCH_E_BADPARAMCOUNT ((int32_t)0x8002000E)
#define DISPATCH_E_CLASSNOTAVAILABLE ((int32_t)0x80040111)
#define DISPATCH_E_ABIMISMATCH ((int32_t)0x80040112)

typedef struct DispatchValue
{
    int32_t type;      /* DISPATCH_TYPE_... */
    int32_t integer;   /* LONG, and BOOL as 0 or 1 */
    double real;       /* DOUBLE */
    const char* text;  /* STRING: UTF-8, `length` bytes (NUL not needed) */
    int32_t length;
} DispatchValue;

typedef struct DispatchObject DispatchObject;

/* Receives one value (a result, an error description, a saved property). */
typedef void (*DispatchValueSink)(void* context, const char* name, const DispatchValue* value);
/* Receives one event with its arguments. */
typedef void (*DispatchEventSink)(void* context, int32_t dispid, const DispatchValue* args, int32_t count);

typedef struct DispatchObjectTable
{
    int32_t abiVersion;
    /* Calls member `dispid`. The result (or, with DISPATCH_E_EXCEPTION, the
       description of the failure) goes to `sink` with a null name. */
    int32_t (*invoke)(DispatchObject* self, int32_t dispid, int32_t kind, const DispatchValue* args,
                      int32_t count, DispatchValueSink sink, void* context);
    /* Events go to `sink` from now on; a null sink detaches. */
    void (*advise)(DispatchObject* self, DispatchEventSink sink, void* context);
    /* A new object without saved properties. */
    void (*initNew)(DispatchObject* self);
    /* Saved properties, by name; a missing one is simply not given. */
    void (*load)(DispatchObject* self, const char* const* names, const DispatchValue* values, int32_t count);
    /* Hands every property to be saved to `sink`, by name. */
    void (*save)(DispatchObject* self, DispatchValueSink sink, void* context);
    /* The object ends; the pointer is invalid afterwards. */
    void (*release)(DispatchObject* self);
} DispatchObjectTable;

struct DispatchObject
{
    const DispatchObjectTable* table;
};

/* Exported by a library that serves objects. */
#define DISPATCH_CREATE_OBJECT_SYMBOL "DispatchCreateObject"
#define DISPATCH_CAN_UNLOAD_NOW_SYMBOL "DispatchCanUnloadNow"
typedef int32_t (*DispatchCreateObjectFunction)(const char* progId, int32_t abiVersion, DispatchObject** object);
/* 1 when no object of the library is alive. */
typedef int32_t (*DispatchCanUnloadNowFunction)(void);

#ifdef __cplusplus
}
#endif
