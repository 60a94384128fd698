// velkxml: checks and formats XML files, shows and packs list files, and
// splits delimited text, all through the library's exported functions.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "arguments.h"
#include "document.h"
#include "positions.h"
#include "query.h"
#include "strict_scan.h"
#include "text_io.h"
#include "velk_strings.h"
#include "velk_xml.h"

namespace {

using namespace velkxml;
using velk_strings::make_string;
using velk_strings::take_string;

constexpr int kOk = 0, kFailed = 1, kUsage = 2;

const char kToolHelp[] =
    "usage: velkxml COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  check [--strict] FILE...      parse each file, report ok or the error\n"
    "  format [--compact] FILE       print the document indented (or compact)\n"
    "  list show [--name NAME] FILE  print a list file as the XML list form\n"
    "  list pack FILE.xml OUT.lst    save the XML list form as a new list file\n"
    "  split DELIM [TEXT]            split TEXT (or standard input) at DELIM\n"
    "  find [OPTIONS] FILE TAG       print the path and text of each TAG element\n"
    "  get FILE TAG                  print the text of the top element's TAG child\n"
    "\n"
    "A FILE given as '-' is standard input. 'velkxml --version' prints the version.\n"
    "'velkxml COMMAND --help' tells more. Exit status: 0 done, 1 failed, 2 usage error.\n";

const char kCheckHelp[] =
    "usage: velkxml check FILE...\n"
    "       velkxml check --strict FILE...\n"
    "\n"
    "Parses each file (or standard input, '-') and prints 'FILE: ok', or reports the\n"
    "parser's message on standard error as 'FILE:LINE:COL: message', where LINE counts\n"
    "LF, CR LF and a lone CR each as one line end and COL is the byte column from 1.\n"
    "\n"
    "--strict  also fails on what XML forbids and the parser accepts, each reported\n"
    "          the same way: elements still open at the end, more than one top-level\n"
    "          element or none, text outside it, an attribute given twice or without\n"
    "          a value, '<' in an attribute value, document type declarations and\n"
    "          CDATA sections (read as elements), numeric character references and\n"
    "          entities beyond the five (kept as literal text), a bare '&', and text\n"
    "          that is not UTF-8. Ten findings of a kind are shown, then their count.\n"
    "\n"
    "Exit status 1 when any file failed.\n";

const char kFormatHelp[] =
    "usage: velkxml format [--compact] FILE\n"
    "\n"
    "Prints the document (or standard input, '-') one node a line, indented by depth,\n"
    "leaving out the lines that hold only white space. The indented form adds line\n"
    "breaks and indentation around text, so text read back from it has changed; with\n"
    "--compact, the document is printed exactly as written to files, its text kept\n"
    "as it is.\n";

const char kListHelp[] = "usage: velkxml list show [--name NAME] FILE.lst\n"
                         "       velkxml list pack FILE.xml OUT.lst\n"
                         "\n"
                         "show  prints the entries of a list file as the XML list form; the list is\n"
                         "      named NAME, or after the file when --name is not given.\n"
                         "pack  reads the XML list form (from standard input for '-') and saves its\n"
                         "      entries as the list file OUT.lst, which must not exist yet: nothing is\n"
                         "      ever overwritten.\n";

const char kSplitHelp[] = "usage: velkxml split DELIM [TEXT]\n"
                          "\n"
                          "Splits TEXT (or standard input) at the first byte of DELIM and prints the\n"
                          "non-empty pieces numbered from 1, one 'N<TAB>piece' a line.\n";

const char kFindHelp[] = "usage: velkxml find [--attr NAME[=VALUE]] [--depth N] [--xml] FILE TAG\n"
                         "\n"
                         "Prints each element named TAG in the document (or standard input, '-'), in\n"
                         "document order, one a line: its path from the top, such as\n"
                         "/catalog/book[2]/title (a position where siblings share the tag), a tab, and\n"
                         "its text, the blanks at its ends left out and its line ends shown as blanks.\n"
                         "\n"
                         "--attr NAME[=VALUE]  only elements with that attribute (and value)\n"
                         "--depth N            only elements N levels below the top (the top-level\n"
                         "                     element is at depth 0)\n"
                         "--xml                print each element with its contents in the compact form\n"
                         "                     instead\n"
                         "\n"
                         "Exit status 1 when no element matched.\n";

const char kGetHelp[] = "usage: velkxml get FILE TAG\n"
                        "\n"
                        "Prints the text of the first child element named TAG of the top-level element\n"
                        "of the document (or standard input, '-'), as it is stored: entities undone,\n"
                        "nothing trimmed. Exit status 1 when there is no such element.\n";

int usage_error(const char *command, const std::string &what) {
    std::fflush(stdout);
    std::fprintf(stderr, "velkxml%s%s: %s\nTry 'velkxml%s%s --help'.\n", *command ? " " : "", command,
                 what.c_str(), *command ? " " : "", command);
    return kUsage;
}

int help(const char *text) {
    std::fputs(text, stdout);
    return kOk;
}

// A line on standard error, after whatever standard output holds so far, so
// that the two read in order where they meet.
void report(const std::string &line) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", line.c_str());
}

int failure(const std::string &message) {
    report("velkxml: " + message);
    return kFailed;
}

// Reports the findings of the strict scan of a text the parser accepted;
// false when there were any.
bool strict_findings(const std::string &file, const std::string &text) {
    StrictReport found = strict_scan(text);
    if (found.clean()) return true;
    std::vector<std::size_t> offsets;
    for (const Finding &f : found.findings)
        if (f.placed) offsets.push_back(f.offset);
    std::vector<Position> places = editor_positions(text, offsets);
    std::size_t next = 0;
    for (const Finding &f : found.findings) {
        if (!f.placed) {
            report(file + ": " + f.text);
            continue;
        }
        report(placed_message(file, places[next++], f.text));
    }
    for (const std::string &more : found.more)
        report(file + ": " + more);
    return false;
}

int check(const std::vector<std::string> &args) {
    Arguments a = sort_arguments(args, {"--strict"});
    if (a.help) return help(kCheckHelp);
    if (!a.error.empty()) return usage_error("check", a.error);
    if (a.operands.empty()) return usage_error("check", "no file given");
    const bool strict = a.has("--strict");
    int status = kOk;
    for (const std::string &file : a.operands) {
        Document doc;
        if (!doc.load(file, strict)) {
            report(doc.failure());
            // Text in UTF-16 fails in the parser with a message about its
            // markup; the strict check says why.
            Finding mark;
            if (strict && doc.has_bytes() && utf16_mark(doc.bytes(), mark))
                report(placed_message(file, {1, 1}, mark.text));
            status = kFailed;
        } else if (strict && !strict_findings(file, doc.bytes())) {
            status = kFailed;
        } else {
            std::printf("%s: ok\n", file.c_str());
        }
    }
    return status;
}

// The indented form puts the white space between tags on lines of its own;
// for reading, those lines are left out.
std::string without_blank_lines(std::string_view text) {
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        std::size_t next = end == std::string_view::npos ? text.size() : end + 2;
        std::string_view line = text.substr(start, next - start);
        if (line.find_first_not_of(" \t\r\n") != std::string_view::npos) out.append(line);
        start = next;
    }
    return out;
}

int format(const std::vector<std::string> &args) {
    Arguments a = sort_arguments(args, {"--compact"});
    if (a.help) return help(kFormatHelp);
    if (!a.error.empty()) return usage_error("format", a.error);
    if (a.operands.size() != 1)
        return usage_error("format", a.operands.empty() ? "no file given" : "one file at a time");
    bool compact = a.has("--compact");
    Document doc;
    if (!doc.load(a.operands[0], false)) return failure(doc.failure());
    std::string text = take_string(xmlTreeToString(doc.root(), compact ? 0 : 1));
    if (compact) {
        write_text(stdout, text);
        if (!text.empty()) std::fputs("\n", stdout);
    } else {
        write_text(stdout, without_blank_lines(text));
    }
    return kOk;
}

// The name a list takes after its file: the base name without extension.
std::string list_name_of(const std::string &file) {
    std::size_t slash = file.find_last_of("/\\");
    std::string base = slash == std::string::npos ? file : file.substr(slash + 1);
    std::size_t dot = base.rfind('.');
    return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

int list_show(const std::vector<std::string> &args) {
    Arguments a = sort_arguments(args, {}, {{"--name", "NAME"}});
    if (a.help) return help(kListHelp);
    if (!a.error.empty()) return usage_error("list show", a.error);
    const std::vector<std::string> &files = a.operands;
    if (files.size() != 1 || files[0].empty())
        return usage_error("list show", files.size() > 1 ? "one file at a time" : "no file given");
    if (is_folder(files[0])) return failure(files[0] + ": is a folder, not a file");
    // A list file without entries loads as no list and leaves the error text
    // alone; a known text set first tells the two apart.
    llzListFromFile("");
    const std::string before = llzLastError();
    velk_handle list = llzListFromFile(files[0].c_str());
    if (!list && before != llzLastError()) return failure(llzLastError());
    std::string name = a.has("--name") ? a.value("--name") : list_name_of(files[0]);
    std::string text = take_string(xmlFromList(list, make_string(name)));
    llFree(list);
    write_text(stdout, text + "\r\n");
    return kOk;
}

int list_pack(const std::vector<std::string> &args) {
    Arguments a = sort_arguments(args, {});
    if (a.help) return help(kListHelp);
    if (!a.error.empty()) return usage_error("list pack", a.error);
    if (a.operands.size() != 2) return usage_error("list pack", "needs FILE.xml and OUT.lst");
    Document doc;
    if (!doc.load(a.operands[0], false)) return failure(doc.failure());
    velk_handle element = xmlzFindNode(doc.root(), -1, "list", "", "");
    velk_handle list = xmlToList(doc.root()); // sets the message when there is no list element
    if (!element) return failure(a.operands[0] + ": " + xmlzLastError());
    int saved = llzListToFile(list, a.operands[1].c_str());
    int entries = llCount(list);
    llFree(list);
    if (!saved) return failure(llzLastError());
    std::printf("%s: %d %s\n", a.operands[1].c_str(), entries, entries == 1 ? "entry" : "entries");
    return kOk;
}

int list(const std::vector<std::string> &args) {
    if (args.empty()) return usage_error("list", "needs 'show' or 'pack'");
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "show") return list_show(rest);
    if (args[0] == "pack") return list_pack(rest);
    Arguments a = sort_arguments(args, {});
    if (a.help) return help(kListHelp);
    if (!a.error.empty()) return usage_error("list", a.error);
    return usage_error("list", "unknown command '" + args[0] + "'");
}

int split(const std::vector<std::string> &args) {
    Arguments a = sort_arguments(args, {}, {}, true);
    if (a.help) return help(kSplitHelp);
    if (!a.error.empty()) return usage_error("split", a.error);
    const std::vector<std::string> &ops = a.operands;
    if (ops.empty() || ops.size() > 2)
        return usage_error("split", ops.empty() ? "no DELIM given" : "too many arguments");
    std::string text = ops.size() == 2 ? ops[1] : read_stdin();
    velk_handle list = llDelimToList(make_string(text), make_string(ops[0]));
    for (velk_handle node = list; node; node = llNext(node)) {
        std::string line = take_string(llName(node)) + "\t" + take_string(llData(node)) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    llFree(list);
    return kOk;
}

int find(const std::vector<std::string> &args) {
    Arguments a = sort_arguments(args, {"--xml"}, {{"--attr", "NAME[=VALUE]"}, {"--depth", "N"}});
    if (a.help) return help(kFindHelp);
    if (!a.error.empty()) return usage_error("find", a.error);
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
    Document doc;
    if (!doc.load(a.operands[0], false)) return failure(doc.failure());
    Finder finder(doc.root(), a.operands[1], depth, attr, has_value, attr_value);
    const bool as_xml = a.has("--xml");
    int found = 0;
    while (velk_handle match = finder.next()) {
        ++found;
        std::string line = as_xml ? compact_subtree(match) : finder.path() + "\t" + one_line_text(match);
        write_text(stdout, line + "\r\n");
    }
    return found ? kOk : kFailed;
}

int get(const std::vector<std::string> &args) {
    Arguments a = sort_arguments(args, {});
    if (a.help) return help(kGetHelp);
    if (!a.error.empty()) return usage_error("get", a.error);
    if (a.operands.size() != 2) return usage_error("get", "needs FILE and TAG");
    Document doc;
    if (!doc.load(a.operands[0], false)) return failure(doc.failure());
    velk_handle top = doc.root();
    while (top && xmlNodeType(top) != VELK_NODE_ELEMENT)
        top = xmlNextSibling(top);
    if (!top) return failure(a.operands[0] + ": no top-level element");
    velk_handle child = xmlFindChild(top, make_string(a.operands[1]));
    if (!child)
        return failure(a.operands[0] + ": no element '" + a.operands[1] + "' in '" +
                       take_string(xmlGetTag(top)) + "'");
    std::string text = take_string(xmlChildData(child)) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    return kOk;
}

} // namespace

int main(int argc, char **argv) {
    binary_streams();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage_error("", "no command given");
    const std::string command = args[0];
    args.erase(args.begin());
    int status;
    if (command == "--help" || command == "-h")
        status = help(kToolHelp);
    else if (command == "--version")
        status = help("velkxml " VELK_XML_VERSION_STRING "\n");
    else if (command == "check")
        status = check(args);
    else if (command == "format")
        status = format(args);
    else if (command == "list")
        status = list(args);
    else if (command == "split")
        status = split(args);
    else if (command == "find")
        status = find(args);
    else if (command == "get")
        status = get(args);
    else if (command.size() > 1 && command[0] == '-')
        status = usage_error("", "unknown option '" + command + "'");
    else
        status = usage_error("", "unknown command '" + command + "'");
    std::fflush(stdout);
    return status;
}
