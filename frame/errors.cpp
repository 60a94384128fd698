#include "frame/errors.h"

#include <mutex>

namespace velk {

namespace {

struct ErrorTexts {
    std::mutex lock;
    std::string text[2];
};

ErrorTexts &error_texts() {
    static ErrorTexts texts;
    return texts;
}

} // namespace

void set_error(Family family, std::string_view message) {
    std::string fresh(message); // built outside the lock
    ErrorTexts &texts = error_texts();
    std::lock_guard<std::mutex> hold(texts.lock);
    texts.text[static_cast<int>(family)].swap(fresh);
}

std::string error_text(Family family) {
    ErrorTexts &texts = error_texts();
    std::lock_guard<std::mutex> hold(texts.lock);
    return texts.text[static_cast<int>(family)];
}

int file_error_number(std::uint32_t code) {
    switch (code) {
    case 2:
    case 18:
        return 53;
    case 3:
        return 76;
    case 4:
        return 67;
    case 5:
    case 19:
    case 32:
    case 33:
    case 36:
        return 70;
    case 8:
    case 14:
        return 7;
    case 15:
    case 20:
        return 68;
    case 17:
        return 74;
    case 21:
        return 71;
    case 23:
    case 25:
    case 26:
    case 27:
    case 28:
    case 29:
    case 30:
    case 31:
    case 34:
        return 72;
    case 6:
    case 11:
    case 12:
    case 13:
    case 22:
    case 24:
        return 51;
    case 7:
    case 9:
    case 10:
        return 241;
    case 38:
        return 62;
    case 39:
    case 112:
        return 61;
    default:
        return 75; // 1, 16, 35, 37 and every code above 39 but 112
    }
}

} // namespace velk
