// Exports of the frame: memory blocks for callers and the last-error texts.
#include "frame/errors.h"
#include "frame/faces.h"
#include "frame/memory.h"
#include "velk_xml.h"

using namespace velk;

extern "C" {

VELK_API void *VELK_CALL GetMem(int32_t size) {
    return size < 0 ? nullptr : mem_get(static_cast<std::uint32_t>(size));
}

VELK_API void VELK_CALL FreeMem(void *block) { mem_free(block); }

VELK_API void *VELK_CALL GetAsciiz(velk_bstr text) {
    PlainArg arg(text);
    return text_store(arg.view());
}

VELK_API velk_bstr VELK_CALL llLastError(void) {
    return shield<velk_bstr>(nullptr, [] { return plain_result(error_text(Family::list)); });
}

VELK_API const char *VELK_CALL llzLastError(void) {
    return shield<const char *>("", [] { return z_result(Family::list, error_text(Family::list)); });
}

VELK_API velk_bstr VELK_CALL xmlLastError(void) {
    return shield<velk_bstr>(nullptr, [] { return plain_result(error_text(Family::xml)); });
}

VELK_API const char *VELK_CALL xmlzLastError(void) {
    return shield<const char *>("", [] { return z_result(Family::xml, error_text(Family::xml)); });
}

} // extern "C"
