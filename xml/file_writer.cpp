#include "xml/file_writer.h"

#include <new>

#include "frame/errors.h"
#include "frame/files.h"
#include "frame/messages.h"
#include "xml/writer.h"

namespace velk::xml {

namespace {

// How the two writers share the file while they write it, and which of the
// two wordings their messages take.
struct Wording {
    files::Share share;
    messages::FileWriter writer;
};

// The compact text of the node; false (with the message set) when memory ran
// out. Built before anything is done to files, so that a failure loses none.
bool build_text(const XmlNode *node, std::string_view file, const Wording &how, TextBuffer &text) {
    try {
        write_tree(text, node, false);
        return true;
    } catch (const std::bad_alloc &) {
        set_error(Family::xml, messages::error_writing_output_file(how.writer, file, kNoMemoryNumber));
        return false;
    }
}

// Creates the file (a new one only, so that nothing that exists is ever
// partly overwritten) and writes the text whole.
bool write_new_file(const TextBuffer &text, std::string_view file, const Wording &how) {
    files::File out;
    if (int err = files::File::open(file, files::Access::read_write, how.share,
                                    files::Disposition::create_new, out)) {
        set_error(Family::xml, messages::unable_to_open_output_file(how.writer, file, err));
        return false;
    }
    int err = out.write(text.view().data(), text.view().size());
    int closed = out.close();
    if (err || closed) {
        set_error(Family::xml, messages::error_writing_output_file(how.writer, file, err ? err : closed));
        return false;
    }
    return true;
}

} // namespace

bool tree_to_file(const XmlNode *node, std::string_view file, bool overwrite) {
    const Wording how{files::Share::none, messages::FileWriter::tree_to_file};
    bool existed = files::exists(file);
    if (existed && !overwrite) {
        set_error(Family::xml, messages::output_file_exists(file));
        return false;
    }
    TextBuffer text;
    if (!build_text(node, file, how, text)) return false; // the old file is still there
    if (existed) {
        files::remove(file);
        if (files::exists(file)) {
            set_error(Family::xml, messages::kOutputFileCannotBeDeleted);
            return false;
        }
    }
    return write_new_file(text, file, how);
}

bool node_to_file(const XmlNode *node, std::string_view file) {
    const Wording how{files::Share::read_write, messages::FileWriter::node_to_file};
    if (files::exists(file)) {
        set_error(Family::xml, messages::file_already_exists(file));
        return false;
    }
    TextBuffer text;
    return build_text(node, file, how, text) && write_new_file(text, file, how);
}

} // namespace velk::xml
