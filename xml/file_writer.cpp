#include "xml/file_writer.h"

#include <new>
#include <string>

#include "frame/errors.h"
#include "frame/files.h"
#include "xml/writer.h"

namespace velk::xml {

namespace {

// How the two writers word their messages: xmlTreeToFile puts a comma before
// "err=", xmlNodeToFile does not.
struct Wording {
    files::Share share;
    const char *err; // "', err=" or "' err="
};

void set_file_error(const char *what, std::string_view file, const Wording &how, int number) {
    set_error(Family::xml, what + std::string(file) + how.err + std::to_string(number));
}

// The compact text of the node; false (with the message set) when memory ran
// out. Built before anything is done to files, so that a failure loses none.
bool build_text(const XmlNode *node, std::string_view file, const Wording &how, TextBuffer &text) {
    try {
        write_tree(text, node, false);
        return true;
    } catch (const std::bad_alloc &) {
        set_file_error("Error writing output file '", file, how, kNoMemoryNumber);
        return false;
    }
}

// Creates the file (a new one only, so that nothing that exists is ever
// partly overwritten) and writes the text whole.
bool write_new_file(const TextBuffer &text, std::string_view file, const Wording &how) {
    files::File out;
    if (int err = files::File::open(file, files::Access::read_write, how.share,
                                    files::Disposition::create_new, out)) {
        set_file_error("Unable to open output file '", file, how, err);
        return false;
    }
    int err = out.write(text.view().data(), text.view().size());
    int closed = out.close();
    if (err || closed) {
        set_file_error("Error writing output file '", file, how, err ? err : closed);
        return false;
    }
    return true;
}

} // namespace

bool tree_to_file(const XmlNode *node, std::string_view file, bool overwrite) {
    const Wording how{files::Share::none, "', err="};
    bool existed = files::exists(file);
    if (existed && !overwrite) {
        set_error(Family::xml, "Output file exists: " + std::string(file));
        return false;
    }
    TextBuffer text;
    if (!build_text(node, file, how, text)) return false; // the old file is still there
    if (existed) {
        files::remove(file);
        if (files::exists(file)) {
            set_error(Family::xml, "Output file exists and cannot be deleted.");
            return false;
        }
    }
    return write_new_file(text, file, how);
}

bool node_to_file(const XmlNode *node, std::string_view file) {
    const Wording how{files::Share::read_write, "' err="};
    if (files::exists(file)) {
        set_error(Family::xml, "File '" + std::string(file) + "' already exists.");
        return false;
    }
    TextBuffer text;
    return build_text(node, file, how, text) && write_new_file(text, file, how);
}

} // namespace velk::xml
