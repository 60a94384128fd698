#include "xml/parse_file.h"

#include "frame/errors.h"
#include "frame/files.h"
#include "frame/memory.h"
#include "frame/messages.h"
#include "xml/parser.h"

namespace velk::xml {

namespace {

// Reads the whole open file; 0 or the file error number.
int read_all(files::File &in, std::uint64_t size, ScratchBlock &bytes) {
    if (size > SIZE_MAX - 1) return kNoMemoryNumber;
    if (!bytes.reserve(static_cast<std::size_t>(size))) return kNoMemoryNumber;
    std::size_t got = 0;
    if (int err = in.read(bytes.data(), static_cast<std::size_t>(size), got)) return err;
    return got == size ? 0 : kEndOfFileNumber; // a short read is not parsed
}

} // namespace

XmlNode *parse_file(std::string_view file) {
    if (!files::exists(file) && !files::unusable(file)) { // refused by the open
        set_error(Family::xml, messages::cannot_locate_xml_file(file));
        return nullptr;
    }
    files::File in;
    if (int err = files::File::open(file, files::Access::read, files::Share::read, in)) {
        set_error(Family::xml, messages::error_opening_xml_file(file, err));
        return nullptr;
    }
    std::uint64_t size = 0;
    int err = in.size(size);
    if (!err && size == 0) {
        set_error(Family::xml, messages::xml_file_is_empty(file));
        return nullptr;
    }
    ScratchBlock bytes;
    if (!err) err = read_all(in, size, bytes);
    in.close(); // the bytes are in memory; a failed close loses nothing
    if (err) {
        if (err == kNoMemoryNumber) free_spare_memory();
        set_error(Family::xml, messages::error_reading_xml_file(file, err));
        return nullptr;
    }
    return parse({bytes.data(), static_cast<std::size_t>(size)});
}

} // namespace velk::xml
