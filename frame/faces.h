// The calling faces: how text crosses the boundary.
//
//   plain  arguments are counted strings handed over to the library (adopted
//          by PlainArg, released on every path); results are new counted
//          strings (plain_result).
//   z      arguments are C texts that are only read (z_arg); text results go
//          into the family's return buffer (z_result).
//   b      plain strings whose data is taken as raw bytes.
//
// Exports are thin: they turn arguments into byte views, call one core
// function, and turn the result back. No exception may cross the boundary,
// and one rule keeps it so: an export whose core may throw (it builds
// messages, texts or containers: parsing, writing, escaping, files, the
// bridge) runs its body inside shield(), directly or through plain_text and
// z_text below; every other export calls only functions declared noexcept
// (the face helpers here, and the core functions of memory, lists,
// attributes, searches and trees).
#pragma once

#include <string_view>
#include <utility>

#include "frame/platform.h"
#include "frame/text_buffer.h"

#include "velk_xml.h"

namespace velk {

enum class Family { list, xml };

// Between the header's counted-string type and the bytes it points at, the
// one place the library converts: the type is oleaut32's BSTR (wchar_t *) on
// Windows and a pointer to a structure that is never defined elsewhere, while
// the platform seam and everything above the faces work on the bytes.
inline char *bstr_bytes(velk_bstr s) noexcept { return reinterpret_cast<char *>(s); }
inline velk_bstr bstr_of(char *bytes) noexcept { return reinterpret_cast<velk_bstr>(bytes); }

// Takes ownership of a plain-face argument and releases it when it goes out
// of scope.
class PlainArg {
  public:
    explicit PlainArg(velk_bstr s) noexcept : s_(s) {}
    ~PlainArg();
    PlainArg(const PlainArg &) = delete;
    PlainArg &operator=(const PlainArg &) = delete;
    std::string_view view() const noexcept;

  private:
    velk_bstr s_;
};

// A counted string read in place, without taking ownership (the by-reference
// arguments of the parse functions).
std::string_view bstr_view(velk_bstr s) noexcept;

// A z-face argument: the bytes up to the first NUL, however many; null is "".
std::string_view z_arg(const char *s) noexcept;

// A plain-face text result: a new counted string; null for the empty text.
velk_bstr plain_result(std::string_view bytes) noexcept;
// The same for a text built with platform::kBstrFront bytes in front and
// room for 2 bytes behind: a long one becomes the result without a copy.
velk_bstr plain_result(TextBuffer &built) noexcept;

// A z-face text result: the bytes and a NUL in the calling thread's return
// buffer of the family. Never null; "" when memory runs out.
const char *z_result(Family family, std::string_view bytes) noexcept;

// Runs an export's body; an exception (memory exhausted inside a standard
// container) turns into the export's failure result.
template <class R, class F> R shield(R failure, F &&body) noexcept {
    try {
        return std::forward<F>(body)();
    } catch (...) {
        return failure;
    }
}

template <class F> void shield(F &&body) noexcept {
    try {
        std::forward<F>(body)();
    } catch (...) {
    }
}

// A text that build(out) writes into a TextBuffer, as a plain-face or z-face
// result of the family, built inside shield(): memory running out gives the
// face's empty result.
template <class Build> velk_bstr plain_text(Build &&build) noexcept {
    return shield<velk_bstr>(nullptr, [&] {
        TextBuffer out(platform::kBstrFront);
        build(out);
        out.reserve_more(2); // for the two NULs behind a counted string
        return plain_result(out);
    });
}

template <class Build> const char *z_text(Family family, Build &&build) noexcept {
    return shield<const char *>("", [&] {
        TextBuffer out;
        build(out);
        return z_result(family, out.view());
    });
}

} // namespace velk
