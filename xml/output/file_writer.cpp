#include "xml/output/file_writer.h"

#include <new>
#include <string>

#include "frame/errors.h"
#include "frame/files.h"
#include "xml/output/writer.h"

namespace velk::xml {

namespace {

constexpr int kNoMemoryNumber = 7;

// How the two writers word their messages: xmlTreeToFile puts a comma before
// "err=", xmlNodeToFile does not.
struct Wording {
    files::Share share;
    const char *err; // "', err=" or "' err="
};

// Builds the compact text, creates the file (a new one only, so that nothing
// that exists is ever partly overwritten) and writes it whole.
bool write_new_file(const XmlNode *node, std::string_view file, const Wording &how) {
    const std::string name(file);
    auto fail = [&](const char *what, int number) {
        set_error(Family::xml, what + name + how.err + std::to_string(number));
        return false;
    };
    TextBuffer text;
    try {
        write_tree(text, node, false);
    } catch (const std::bad_alloc &) {
        return fail("Error writing output file '", kNoMemoryNumber);
    }
    files::File out;
    if (int err = files::File::open(file, files::Access::read_write, how.share,
                                    files::Disposition::create_new, out))
        return fail("Unable to open output file '", err);
    int err = out.write(text.view().data(), text.view().size());
    int closed = out.close();
    if (err || closed) return fail("Error writing output file '", err ? err : closed);
    return true;
}

} // namespace

bool tree_to_file(const XmlNode *node, std::string_view file, bool overwrite) {
    if (files::exists(file)) {
        if (!overwrite) {
            set_error(Family::xml, "Output file exists: " + std::string(file));
            return false;
        }
        files::remove(file);
        if (files::exists(file)) {
            set_error(Family::xml, "Output file exists and cannot be deleted.");
            return false;
        }
    }
    return write_new_file(node, file, {files::Share::none, "', err="});
}

bool node_to_file(const XmlNode *node, std::string_view file) {
    if (files::exists(file)) {
        set_error(Family::xml, "File '" + std::string(file) + "' already exists.");
        return false;
    }
    return write_new_file(node, file, {files::Share::read_write, "' err="});
}

} // namespace velk::xml
