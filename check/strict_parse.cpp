// The check and the strict parse for library callers (api/velk_check.h): the
// scan's first finding placed as editors count, then the library's parse.
#include "velk_check.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "check/editor_positions.h"
#include "check/strict_scan.h"

namespace {

using velk::check::StrictReport;

void tell(VelkCheckResult *result, bool ok, bool limit, long line, long column, std::string_view message) {
    if (!result) return;
    result->ok = ok;
    result->limit = limit;
    result->line = static_cast<int32_t>(line);
    result->column = static_cast<int32_t>(column);
    const std::size_t size =
        message.size() < sizeof result->message ? message.size() : sizeof result->message - 1;
    std::memcpy(result->message, message.data(), size);
    result->message[size] = '\0';
}

bool check(std::string_view text, VelkCheckResult *result) {
    const StrictReport report = velk::check::strict_scan(text);
    if (report.clean()) {
        tell(result, true, false, 0, 0, "");
        return true;
    }
    const velk::check::Finding &first = report.findings.front();
    velk::check::Position at;
    if (first.placed) at = velk::check::editor_positions(text, {first.offset})[0];
    tell(result, false, first.limit, at.line, at.column, first.text);
    return false;
}

// The library's parse of a text that passed: it holds no NUL (the check
// refuses one), so the z face takes it whole.
velk_handle parse_checked(const std::string &text, VelkCheckResult *result) {
    velk_handle doc = xmlzParse(text.c_str());
    if (!doc) tell(result, false, false, 0, 0, xmlzLastError());
    return doc;
}

bool read_file(const char *file, std::string *text, VelkCheckResult *result) {
    std::FILE *in = file ? std::fopen(file, "rb") : nullptr;
    if (!in) {
        tell(result, false, false, 0, 0,
             std::string("cannot read ") + (file ? file : "") + ": " + std::strerror(file ? errno : ENOENT));
        return false;
    }
    char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;)
        text->append(chunk, n);
    const bool failed = std::ferror(in);
    const int error = errno;
    std::fclose(in);
    if (failed)
        tell(result, false, false, 0, 0, std::string("cannot read ") + file + ": " + std::strerror(error));
    return !failed;
}

// Runs a call's body; memory exhausted in the check's own containers is its
// failure.
template <class R, class Body> R guarded(VelkCheckResult *result, R failure, Body body) {
    try {
        return body();
    } catch (const std::bad_alloc &) {
        tell(result, false, false, 0, 0, "out of memory");
        return failure;
    }
}

} // namespace

extern "C" {

int32_t velk_check_text(const char *text, size_t size, VelkCheckResult *result) {
    return guarded(result, int32_t(0), [&]() -> int32_t {
        return check({text ? text : "", text ? size : 0}, result);
    });
}

velk_handle velk_parse_strict(const char *text, size_t size, VelkCheckResult *result) {
    return guarded(result, velk_handle(0), [&]() -> velk_handle {
        const std::string_view bytes(text ? text : "", text ? size : 0);
        return check(bytes, result) ? parse_checked(std::string(bytes), result) : 0;
    });
}

velk_handle velk_parse_file_strict(const char *file, VelkCheckResult *result) {
    return guarded(result, velk_handle(0), [&]() -> velk_handle {
        std::string text;
        return read_file(file, &text, result) && check(text, result) ? parse_checked(text, result) : 0;
    });
}

} // extern "C"
