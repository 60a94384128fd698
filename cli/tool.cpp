// velkxml's commands: check and format XML files, show and pack list files,
// split delimited text, all through the library's exported functions. Each
// reads and writes only the streams it is given.
#include "tool.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "arguments.h"
#include "check/strict_scan.h"
#include "document.h"
#include "help.h"
#include "pretty_print.h"
#include "query.h"
#include "scan_report.h"
#include "temp_file.h"
#include "text_io.h"
#include "tool_class.h"
#include "velk_strings.h"
#include "velk_xml.h"

namespace velkxml {

namespace {

using velk::check::strict_scan;
using velk_strings::make_string;
using velk_strings::take_string;

// The indented form puts the white space between tags on lines of its own;
// for reading, those lines are left out (lines end with LF or CR LF).
std::string without_blank_lines(std::string_view text) {
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        std::string_view line = text.substr(start, next - start);
        if (line.find_first_not_of(" \t\r\n") != std::string_view::npos) out.append(line);
        start = next;
    }
    return out;
}

// The name a list takes after its file: the base name without extension.
std::string list_name_of(const std::string &file) {
    std::size_t slash = file.find_last_of("/\\");
    std::string base = slash == std::string::npos ? file : file.substr(slash + 1);
    std::size_t dot = base.rfind('.');
    return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

// Loads a list file through the library; false, with the library's message
// in error, when that fails. A file without entries loads as no list.
bool load_list(const std::string &file, velk_handle &list, std::string &error) {
    // A list file without entries loads as no list and leaves the error text
    // alone; a known text set first tells the two apart.
    llzListFromFile("");
    const std::string before = llzLastError();
    list = llzListFromFile(file.c_str());
    if (list || before == llzLastError()) return true;
    error = llzLastError();
    return false;
}

} // namespace

// The first top-level node that comes after the document type declaration
// set aside: the one after the comments and instructions before it.
velk_handle after_doctype(const Document &doc) {
    velk_handle next = doc.root();
    for (int markup = 0; next && markup < doc.doctype().markup_before; next = xmlNextSibling(next))
        markup += xmlNodeType(next) != VELK_NODE_TEXT;
    return next;
}

// The library's text of the whole document (xmlTreeToString), with the
// document type declaration set aside put back after the top-level
// comments and instructions that came before it. "" when the library cannot
// make the text.
std::string library_text(const Document &doc, int indent) {
    velk_bstr whole = xmlTreeToString(doc.root(), indent);
    if (!whole) return "";
    std::string text = take_string(whole);
    const SetAside &doctype = doc.doctype();
    if (!doctype.found()) return text;
    // The text from the first node after those on is a tail of the whole.
    const velk_handle next = after_doctype(doc);
    std::size_t tail = 0;
    if (next) {
        velk_bstr rest = xmlTreeToString(next, indent);
        if (!rest) return "";
        tail = SysStringByteLen(rest);
        SysFreeString(rest);
    }
    text.insert(text.size() - tail, doctype.bytes);
    return text;
}

// A text as the platform writes lines: the library's CR LF as LF on POSIX.
std::string platform_lines(std::string text) {
#if !defined(_WIN32)
    std::size_t to = 0;
    for (std::size_t from = 0; from < text.size(); ++from)
        if (!(text[from] == '\r' && from + 1 < text.size() && text[from + 1] == '\n'))
            text[to++] = text[from];
    text.resize(to);
#endif
    return text;
}

// The document as pretty_print() lays it out, with the document type
// declaration set aside put back on a line of its own after the top-level
// comments and instructions that came before it.
std::string pretty_text(const Document &doc, const PrettyOptions &options) {
    std::string text = pretty_print(doc.root(), options);
    const SetAside &doctype = doc.doctype();
    if (!doctype.found()) return text;
    const velk_handle next = after_doctype(doc);
    const std::size_t tail = next ? pretty_print(next, options).size() : 0;
    const std::size_t first = doctype.bytes.find('<'), last = doctype.bytes.rfind('>');
    text.insert(text.size() - tail, doctype.bytes.substr(first, last + 1 - first) + "\n");
    return text;
}

const Tool::Command Tool::kCommands[] = {
    {"check [--lenient] [-q] FILE...", "check that each file is well-formed XML", &Tool::check},
    {"format [OPTIONS] FILE", "print the document indented (or compact)", &Tool::format},
    {"select [OPTIONS] PATH FILE...", "print the values that a path selects", &Tool::select},
    {"edit [OPTIONS] FILE CHANGE...", "update, insert and delete by path", &Tool::edit},
    {"paths FILE", "print each element path with its count", &Tool::paths},
    {"list show [--name NAME] FILE", "print a list file as the XML list form", &Tool::list},
    {"list pack FILE.xml OUT.lst", "save the XML list form as a new list file", nullptr}, // list runs it
    {"split DELIM [TEXT]", "split TEXT (or standard input) at DELIM", &Tool::split},
    {"find [OPTIONS] FILE TAG", "print the path and text of each TAG element", &Tool::find},
    {"get [--attr NAME] FILE TAG", "print the text of the top element's TAG child", &Tool::get},
};

void Tool::out(std::string_view bytes, bool as_lines) {
    if (write_errno_) return;
    errno = 0;
    if (!(as_lines ? write_text(io_.out, bytes) : write_bytes(io_.out, bytes)))
        write_errno_ = errno ? errno : EIO;
}

// Writes what standard output holds so far, keeping the first failure.
void Tool::flush_out() {
    if (std::fflush(io_.out) != 0 && !write_errno_) write_errno_ = errno ? errno : EIO;
}

// A line on standard error, after whatever standard output holds so far, so
// that the two read in order where they meet.
void Tool::report(const std::string &line) {
    flush_out();
    std::fprintf(io_.err, "%s\n", line.c_str());
}

int Tool::failure(const std::string &message) {
    report("velkxml: " + message);
    return kFailed;
}

int Tool::usage_error(const char *command, const std::string &what) {
    const std::string name = *command ? std::string(" ") + command : "";
    report("velkxml" + name + ": " + what + "\nTry 'velkxml" + name + " --help'.");
    return kUsage;
}

int Tool::help(const char *text, const char *more) {
    out(text);
    out(more);
    return kOk;
}

int Tool::tool_help() {
    std::string text = kToolHelpHead;
    for (const Command &c : kCommands) {
        char line[160];
        std::snprintf(line, sizeof line, "  %-30s  %s\n", c.synopsis, c.summary);
        text += line;
    }
    return help(text.c_str(), kToolHelpTail);
}

// The answer to --help (help_text, then more) or --version, or the usage
// error, when the arguments hold one; -1 when the command goes on.
int Tool::answered(const Arguments &a, const char *command, const char *help_text, const char *more) {
    if (a.help) return help(help_text, more);
    if (a.version) return version();
    if (!a.error.empty()) return usage_error(command, a.error);
    return -1;
}

// The exit status once everything is written: a failed write of standard
// output fails the run, whatever the command found.
int Tool::finish(int status) {
    flush_out();
    if (!write_errno_) return status;
    std::fprintf(io_.err, "velkxml: cannot write standard output: %s\n", std::strerror(write_errno_));
    return kFailed;
}

int Tool::run(const std::vector<std::string> &args) {
    int status;
    try {
        if (args.empty()) return finish(usage_error("", "no command given"));
        const std::string &command = args[0];
        const std::vector<std::string> rest(args.begin() + 1, args.end());
        if (command == "--help" || command == "-h") return finish(tool_help());
        if (command == "--version") return finish(version());
        for (const Command &c : kCommands) {
            const std::string_view synopsis = c.synopsis;
            if (c.run && synopsis.substr(0, synopsis.find(' ')) == command)
                return finish((this->*c.run)(rest));
        }
        if (command.size() > 1 && command[0] == '-')
            status = usage_error("", "unknown option '" + command + "'");
        else
            status = usage_error("", "unknown command '" + command + "'");
    } catch (const std::bad_alloc &) {
        // A document too large for the memory the tool may have: the tool's
        // own copies of it run out, not only the library's.
        status = failure("out of memory");
    }
    return finish(status);
}

// The check of one file, each finding reported: kOk when it is well-formed
// XML that the library reads as XML means it (the strict scan finds nothing
// and the library's parse, which must then succeed, does); kNotRead when
// every finding is one of the library's limits; kFailed otherwise.
int Tool::checked(const std::string &file) {
    Document doc(io_.in);
    if (!doc.read(file)) {
        report(doc.failure());
        return kFailed;
    }
    const StrictReport found = doc.scan(true);
    if (!found.clean())
        for (const std::string &line : finding_lines(file, doc.file_text(), found))
            report(line);
    if (!found.clean()) return found.only_limits() ? kNotRead : kFailed;
    if (doc.parse(file)) return kOk;
    report(doc.failure());
    return kFailed;
}

// Whether the library parses the file; its failure is reported.
bool Tool::parsed(const std::string &file) {
    Document doc(io_.in);
    if (doc.load(file, false)) return true;
    report(doc.failure());
    return false;
}

int Tool::check(const std::vector<std::string> &args) {
    Arguments a = sort_arguments(args, {"--strict", "--lenient", "-q", "--quiet"});
    if (int done = answered(a, "check", kCheckHelp); done >= 0) return done;
    if (a.has("--strict") && a.has("--lenient"))
        return usage_error("check", "--strict and --lenient exclude each other");
    if (a.operands.empty()) return usage_error("check", "no file given");
    const bool lenient = a.has("--lenient"), quiet = a.has("-q") || a.has("--quiet");
    int status = kOk;
    for (const std::string &file : a.operands) {
        const int checks = lenient ? (parsed(file) ? kOk : kFailed) : checked(file);
        if (checks == kOk && !quiet)
            out(file + ": ok" + (lenient ? " (the library parses it; well-formedness not checked)" : "") +
                "\n");
        // A file that is not well-formed outweighs one the library does not read.
        if (checks == kFailed || (checks == kNotRead && status == kOk)) status = checks;
    }
    return status;
}

// Loads a document for a command that shows what the library reads, and
// warns once on standard error when the text is not well-formed XML or
// beyond the library's limits (then *warned, when given). False on failure,
// with doc.failure() set.
bool Tool::load_shown(Document &doc, const std::string &file, bool *warned) {
    if (!doc.load(file, true)) return false;
    const StrictReport found = doc.scan(false);
    const std::string warning = found.clean() ? "" : warning_line(file, doc.file_text(), found);
    if (!warning.empty()) report("velkxml: warning: " + warning);
    if (warned) *warned = !warning.empty();
    return true;
}

int Tool::format(const std::vector<std::string> &args) {
    Arguments a = sort_arguments(args, {"--compact", "--library-indent", "--indent-tab"},
                                 {{"--indent", "N"}, {"--output", "FILE"}});
    if (int done = answered(a, "format", kFormatHelp, kWarningHelp); done >= 0) return done;
    if (a.operands.size() != 1)
        return usage_error("format", a.operands.empty() ? "no file given" : "one file at a time");
    const bool compact = a.has("--compact"), library_indent = a.has("--library-indent");
    if (compact + library_indent + a.has("--indent") + a.has("--indent-tab") > 1)
        return usage_error("format",
                           "--compact, --library-indent, --indent and --indent-tab exclude each other");
    if (a.value("--output") == kStdinName)
        return usage_error("format", "--output needs a file name, not '-'");
    PrettyOptions options;
    options.tab = a.has("--indent-tab");
    if (a.has("--indent")) {
        const std::string n = a.value("--indent");
        if (n.empty() || n.size() > 2 || n.find_first_not_of("0123456789") != std::string::npos)
            return usage_error("format", "--indent needs a number from 0 to 99");
        options.indent = std::stoi(n);
    }
    const std::string &file = a.operands[0];
    bool warned = false;
    Document doc(io_.in);
    if (!load_shown(doc, file, &warned)) return failure(doc.failure());
    std::string text;
    if (compact || library_indent) {
        // Every document the parser makes has markup to write; no text means
        // that the library could not make it.
        text = library_text(doc, compact ? 0 : 1);
        if (text.empty())
            return failure(file + ": cannot make the document's " + (compact ? "compact" : "indented") +
                           " text: it would pass 4 GiB or the memory at hand");
        if (!compact) text = without_blank_lines(text);
    } else {
        try {
            text = pretty_text(doc, options);
        } catch (const std::length_error &) {
            return failure(file +
                           ": cannot make the document's indented text: its indentation would pass 4 GiB "
                           "(--indent 0 has none)");
        }
    }
    // The compact text ends with a line end of its own; the indented text
    // keeps the line ends stored in the document as they are.
    const std::string shown = compact || library_indent ? platform_lines(text) + (compact ? "\n" : "") : text;
    if (a.has("--output")) {
        TempFile written;
        std::string error;
        if (!written.create_beside(a.value("--output"), shown, error) ||
            !written.replace(a.value("--output"), error))
            return failure(a.value("--output") + ": cannot write: " + error);
    } else {
        out(shown);
    }
    // Text shown that is not well-formed XML (such as the element that the
    // library makes of "<!DOCTYPE>") is told, once, and exits 3.
    std::string checked = shown;
    const bool aside = set_doctype_aside(checked).found();
    const StrictReport found = strict_scan(checked, nullptr, {aside});
    if (found.clean() || found.only_limits()) return kOk;
    if (!warned) report("velkxml: warning: " + file + ": the text shown is not well-formed XML");
    return kNotRead;
}

// Loads a list file given on standard input. The library loads list files by
// name only, so the bytes pass through a private temporary file, which the
// library's messages name as "-".
bool Tool::load_list_from_stdin(velk_handle &list, std::string &error) {
    std::string bytes;
    if (!read_all(io_.in, bytes, error)) {
        error = std::string(kStdinName) + ": cannot read standard input: " + error;
        return false;
    }
    TempFile copy;
    if (!copy.create(bytes, error)) {
        error = std::string(kStdinName) + ": cannot keep standard input in a temporary file: " + error;
        return false;
    }
    if (load_list(copy.path(), list, error)) return true;
    for (std::size_t at; (at = error.find(copy.path())) != std::string::npos;)
        error.replace(at, copy.path().size(), kStdinName);
    return false;
}

int Tool::list_show(const std::vector<std::string> &args) {
    Arguments a = sort_arguments(args, {}, {{"--name", "NAME"}});
    if (int done = answered(a, "list show", kListHelp, kWarningHelp); done >= 0) return done;
    const std::vector<std::string> &files = a.operands;
    if (files.size() != 1 || files[0].empty())
        return usage_error("list show", files.size() > 1 ? "one file at a time" : "no file given");
    const std::string &file = files[0];
    velk_handle list = 0;
    std::string error;
    if (file == kStdinName) {
        if (!load_list_from_stdin(list, error)) return failure(error);
    } else {
        if (is_folder(file)) return failure(file + ": is a folder, not a file");
        if (!load_list(file, list, error)) return failure(error);
    }
    std::string name = a.has("--name") ? a.value("--name") : file == kStdinName ? "list" : list_name_of(file);
    std::string text = take_string(xmlFromList(list, make_string(name)));
    llFree(list);
    out(text + "\r\n", true);
    return kOk;
}

int Tool::list_pack(const std::vector<std::string> &args) {
    Arguments a = sort_arguments(args, {});
    if (int done = answered(a, "list pack", kListHelp, kWarningHelp); done >= 0) return done;
    if (a.operands.size() != 2) return usage_error("list pack", "needs FILE.xml and OUT.lst");
    Document doc(io_.in);
    if (!load_shown(doc, a.operands[0])) return failure(doc.failure());
    velk_handle element = xmlzFindNode(doc.root(), -1, "list", "", "");
    velk_handle list = xmlToList(doc.root()); // sets the message when there is no list element
    if (!element) return failure(a.operands[0] + ": " + xmlzLastError());
    int saved = llzListToFile(list, a.operands[1].c_str());
    int entries = llCount(list);
    llFree(list);
    if (!saved) return failure(llzLastError());
    out(a.operands[1] + ": " + std::to_string(entries) + (entries == 1 ? " entry" : " entries") + "\n");
    return kOk;
}

int Tool::list(const std::vector<std::string> &args) {
    if (args.empty()) return usage_error("list", "needs 'show' or 'pack'");
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "show") return list_show(rest);
    if (args[0] == "pack") return list_pack(rest);
    Arguments a = sort_arguments(args, {});
    if (int done = answered(a, "list", kListHelp, kWarningHelp); done >= 0) return done;
    return usage_error("list", "unknown command '" + args[0] + "'");
}

int Tool::split(const std::vector<std::string> &args) {
    Arguments a = sort_arguments(args, {}, {}, true);
    if (int done = answered(a, "split", kSplitHelp); done >= 0) return done;
    const std::vector<std::string> &ops = a.operands;
    if (ops.empty() || ops.size() > 2)
        return usage_error("split", ops.empty() ? "no DELIM given" : "too many arguments");
    std::string text, error;
    if (ops.size() == 2)
        text = ops[1];
    else if (!read_all(io_.in, text, error))
        return failure(std::string(kStdinName) + ": cannot read standard input: " + error);
    velk_handle list = llDelimToList(make_string(text), make_string(ops[0]));
    std::string lines;
    for (velk_handle node = list; node; node = llNext(node))
        lines += take_string(llName(node)) + "\t" + take_string(llData(node)) + "\n";
    llFree(list);
    out(lines);
    return kOk;
}

int Tool::find(const std::vector<std::string> &args) {
    Arguments a = sort_arguments(args, {"--xml"}, {{"--attr", "NAME[=VALUE]"}, {"--depth", "N"}});
    if (int done = answered(a, "find", kFindHelp, kWarningHelp); done >= 0) return done;
    if (a.operands.size() != 2) return usage_error("find", "needs FILE and TAG");
    std::int32_t depth = -1;
    if (a.has("--depth")) {
        const std::string n = a.value("--depth");
        if (n.empty() || n.size() > 9 || n.find_first_not_of("0123456789") != std::string::npos)
            return usage_error("find", "--depth needs a number from 0");
        depth = std::stoi(n);
    }
    std::string attr = a.value("--attr"), attr_value;
    std::size_t equals = attr.find('=');
    bool has_value = equals != std::string::npos;
    if (has_value) {
        attr_value = attr.substr(equals + 1);
        attr.erase(equals);
    }
    if (a.has("--attr") && attr.empty()) return usage_error("find", "--attr needs a NAME");
    Document doc(io_.in);
    if (!load_shown(doc, a.operands[0])) return failure(doc.failure());
    Finder finder(doc.root(), a.operands[1], depth, attr, has_value, attr_value);
    const bool as_xml = a.has("--xml");
    // An attribute asked for by name alone is what is shown of each match.
    const bool show_attr = a.has("--attr") && !has_value;
    int found = 0;
    while (velk_handle match = finder.next()) {
        ++found;
        std::string line = as_xml ? compact_subtree(match)
                                  : finder.path() + "\t" +
                                        (show_attr ? one_line_attribute(match, attr) : one_line_text(match));
        out(line + "\r\n", true);
    }
    return found ? kOk : kFailed;
}

int Tool::get(const std::vector<std::string> &args) {
    Arguments a = sort_arguments(args, {}, {{"--attr", "NAME"}});
    if (int done = answered(a, "get", kGetHelp, kWarningHelp); done >= 0) return done;
    if (a.operands.size() != 2) return usage_error("get", "needs FILE and TAG");
    const std::string attr = a.value("--attr");
    if (a.has("--attr") && attr.empty()) return usage_error("get", "--attr needs a NAME");
    const std::string &file = a.operands[0], &tag = a.operands[1];
    Document doc(io_.in);
    if (!load_shown(doc, file)) return failure(doc.failure());
    velk_handle top = doc.root();
    while (top && xmlNodeType(top) != VELK_NODE_ELEMENT)
        top = xmlNextSibling(top);
    if (!top) return failure(file + ": no top-level element");
    velk_handle child = xmlFindChild(top, make_string(tag));
    if (!child) return failure(file + ": no element '" + tag + "' in '" + take_string(xmlGetTag(top)) + "'");
    std::string text;
    if (attr.empty()) {
        text = take_string(xmlChildData(child));
    } else if (xmlAttribExists(child, make_string(attr))) {
        text = take_string(xmlAttribValue(child, make_string(attr)));
    } else {
        return failure(file + ": element '" + tag + "' has no attribute '" + attr + "'");
    }
    out(text + "\n");
    return kOk;
}

int run(const std::vector<std::string> &args, const Streams &io) { return Tool(io).run(args); }

} // namespace velkxml
