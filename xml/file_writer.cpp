#include "xml/file_writer.h"

#include <new>

#include "frame/errors.h"
#include "frame/files.h"
#include "frame/messages.h"
#include "xml/writer.h"

namespace velk::xml {

namespace {

using messages::FileWriter;

// The compact text of the node; false (with the message set) when memory ran
// out. Built before anything is done to files, so that a failure loses none.
bool build_text(const XmlNode *node, std::string_view file, FileWriter writer, TextBuffer &text) {
    try {
        write_tree(text, node, false);
        return true;
    } catch (const std::bad_alloc &) {
        set_error(Family::xml, messages::error_writing_output_file(writer, file, kNoMemoryNumber));
        return false;
    }
}

// Writes the text whole into a new file that then takes the name file, in
// the place of the file there when replacing. Until then nothing under that
// name changes: a failure leaves the old file, or no file, as it was.
bool write_file(const TextBuffer &text, std::string_view file, FileWriter writer, bool replacing) {
    files::NewFile out;
    if (int err = out.create(file, replacing)) {
        set_error(Family::xml, messages::unable_to_open_output_file(writer, file, err));
        return false;
    }
    int err = out.write(text.view().data(), text.view().size());
    if (!err) err = out.close();
    if (err) {
        set_error(Family::xml, messages::error_writing_output_file(writer, file, err));
        return false;
    }
    if (int refused = out.place(replacing)) {
        // The old file was kept from the replacement after all; otherwise
        // the name was taken meanwhile, or could not be made.
        if (replacing && files::exists(file))
            set_error(Family::xml, messages::kOutputFileCannotBeDeleted);
        else
            set_error(Family::xml, messages::unable_to_open_output_file(writer, file, refused));
        return false;
    }
    return true;
}

} // namespace

bool tree_to_file(const XmlNode *node, std::string_view file, bool overwrite) {
    const FileWriter writer = FileWriter::tree_to_file;
    bool existed = files::exists(file);
    if (existed && !overwrite) {
        set_error(Family::xml, messages::output_file_exists(file));
        return false;
    }
    TextBuffer text;
    if (!build_text(node, file, writer, text)) return false; // the old file is still there
    if (existed && !files::replaceable(file)) {
        set_error(Family::xml, messages::kOutputFileCannotBeDeleted);
        return false;
    }
    return write_file(text, file, writer, existed);
}

bool node_to_file(const XmlNode *node, std::string_view file) {
    const FileWriter writer = FileWriter::node_to_file;
    if (files::exists(file)) {
        set_error(Family::xml, messages::file_already_exists(file));
        return false;
    }
    TextBuffer text;
    return build_text(node, file, writer, text) && write_file(text, file, writer, false);
}

} // namespace velk::xml
