#include "MinHook.h"

extern "C" const char* MH_CALL MH_StatusToString(MH_STATUS status) {
  switch (status) {
    case MH_UNKNOWN:
      return "MH_UNKNOWN";
    case MH_OK:
      return "MH_OK";
    case MH_ERROR_ALREADY_INITIALIZED:
      return "MH_ERROR_ALREADY_INITIALIZED";
    case MH_ERROR_NOT_INITIALIZED:
      return "MH_ERROR_NOT_INITIALIZED";
    case MH_ERROR_ALREADY_CREATED:
      return "MH_ERROR_ALREADY_CREATED";
    case MH_ERROR_NOT_CREATED:
      return "MH_ERROR_NOT_CREATED";
    case MH_ERROR_ENABLED:
      return "MH_ERROR_ENABLED";
    case MH_ERROR_DISABLED:
      return "MH_ERROR_DISABLED";
    case MH_ERROR_NOT_EXECUTABLE:
      return "MH_ERROR_NOT_EXECUTABLE";
    case MH_ERROR_UNSUPPORTED_FUNCTION:
      return "MH_ERROR_UNSUPPORTED_FUNCTION";
    case MH_ERROR_MEMORY_ALLOC:
      return "MH_ERROR_MEMORY_ALLOC";
    case MH_ERROR_MEMORY_PROTECT:
      return "MH_ERROR_MEMORY_PROTECT";
  }
  return "MH_UNKNOWN";
}
