// What the src_calls_no_export check must catch: library code running an export instead of
// the internal function it forwards to. Never compiled; scanned by exports_catch_calls.
#include "vorskel.h"

/* Vorsk_SetTime in a comment, and "Vorsk_Reset" in a string, are not calls. */
static const char* kName = "Vorsk_Reset";

VORSKEL_API int VORSKEL_CALL Vorsk_ClearRecord(const char* host, int port) {
  unsigned int pointers[4];
  return Vorsk_GetPoint(pointers, nullptr, host, port);
}
