/* The host interface of the plug-in: the twelve TBP_ exports with the host
   objects that pass through them. The mail client loads the plug-in library
   (a file with the extension .tbp), finds these functions by their
   undecorated names and calls them from its own threads. This header is
   shared by the plug-in and by hosts written in C or C++. */
#ifndef TRELLISK_TBP_API_H
#define TRELLISK_TBP_API_H

#include <stdint.h>

#if defined(_WIN32) && (defined(_M_IX86) || defined(__i386__))
#define TBP_CALL __stdcall
#else
#define TBP_CALL
#endif

#if defined(_WIN32)
#define TBP_VISIBLE __declspec(dllexport)
#else
#define TBP_VISIBLE __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define TBP_EXPORT extern "C" TBP_VISIBLE
extern "C" {
#else
#define TBP_EXPORT TBP_VISIBLE
#endif

/* The host's opaque identifier of one message, valid for one host call. */
typedef uint32_t MessageHandle;

/* The host callback that reads a property of a message. With a null buffer
   and size 0 it returns the byte count the property needs; with a buffer it
   copies at most size bytes and returns the count copied. */
typedef int(TBP_CALL* PropertyReader)(MessageHandle message, int property, char* buffer, int size);

/* The only property the plug-in reads: the complete raw message. */
#define TBP_PROPERTY_RAW_MESSAGE 100005

/* A host object (COM style) that receives the text of an expanded macro
   through the fifth operation of its table, called on the object with the
   macro number, the text and its length; the result is not used. */
typedef struct MacroSink MacroSink;
typedef int(TBP_CALL* MacroSinkReceive)(MacroSink* self, int macroNumber, const char* text, int length);
typedef struct MacroSinkOperations {
  void* firstFour[4]; /* the host's own operations, never called */
  MacroSinkReceive receive;
} MacroSinkOperations;
struct MacroSink {
  const MacroSinkOperations* operations;
};

#ifdef __cplusplus
}
#endif

TBP_EXPORT void TBP_CALL TBP_Initialize(void);
TBP_EXPORT void TBP_CALL TBP_Finalize(void);
TBP_EXPORT int TBP_CALL TBP_GetName(char* buffer, int size);
TBP_EXPORT int TBP_CALL TBP_GetVersion(char* buffer, int size);
TBP_EXPORT int TBP_CALL TBP_GetStatus(void);
TBP_EXPORT int TBP_CALL TBP_NeedCOM(void);
TBP_EXPORT int TBP_CALL TBP_NeedConfig(void);
TBP_EXPORT int TBP_CALL TBP_Setup(void);
TBP_EXPORT int TBP_CALL TBP_GetSpamScore(MessageHandle message, PropertyReader reader);
TBP_EXPORT int TBP_CALL TBP_FeedSpam(MessageHandle message, int isSpam, PropertyReader reader);
TBP_EXPORT int TBP_CALL TBP_GetMacroList(char* buffer, int size);
TBP_EXPORT int TBP_CALL TBP_ExecMacro(const char* name, int count, MacroSink* sink, void* unused);

#endif /* TRELLISK_TBP_API_H */
