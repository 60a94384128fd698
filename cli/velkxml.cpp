// velkxml: checks and formats XML files, shows and packs list files, and
// splits delimited text, all through the library's exported functions.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

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
    "  check FILE...                 parse each file, report ok or the error\n"
    "  format [--compact] FILE       print the document indented (or compact)\n"
    "  list show [--name NAME] FILE  print a list file as the XML list form\n"
    "  list pack FILE.xml OUT.lst    save the XML list form as a new list file\n"
    "  split DELIM [TEXT]            split TEXT (or standard input) at DELIM\n"
    "\n"
    "'velkxml COMMAND --help' tells more. Exit status: 0 done, 1 failed, 2 usage error.\n";

const char kCheckHelp[] = "usage: velkxml check FILE...\n"
                          "\n"
                          "Parses each file and prints 'FILE: ok', or 'FILE: ' and the parser's message\n"
                          "with its (line:column). Exit status 1 when any file failed.\n";

const char kFormatHelp[] = "usage: velkxml format [--compact] FILE\n"
                           "\n"
                           "Prints the document one node a line, indented by depth, leaving out the lines\n"
                           "that hold only white space; with --compact, exactly as written to files.\n";

const char kListHelp[] = "usage: velkxml list show [--name NAME] FILE.lst\n"
                         "       velkxml list pack FILE.xml OUT.lst\n"
                         "\n"
                         "show  prints the entries of a list file as the XML list form; the list is\n"
                         "      named NAME, or after the file when --name is not given.\n"
                         "pack  reads the XML list form and saves its entries as the list file\n"
                         "      OUT.lst, which must not exist yet: nothing is ever overwritten.\n";

const char kSplitHelp[] = "usage: velkxml split DELIM [TEXT]\n"
                          "\n"
                          "Splits TEXT (or standard input) at the first byte of DELIM and prints the\n"
                          "non-empty pieces numbered from 1, one 'N<TAB>piece' a line.\n";

bool is_help(std::string_view arg) { return arg == "--help" || arg == "-h"; }

int usage_error(const char *command, const std::string &what) {
    std::fprintf(stderr, "velkxml%s%s: %s\nTry 'velkxml%s%s --help'.\n", *command ? " " : "", command,
                 what.c_str(), *command ? " " : "", command);
    return kUsage;
}

int help(const char *text) {
    std::fputs(text, stdout);
    return kOk;
}

int failure(const std::string &message) {
    std::fprintf(stderr, "velkxml: %s\n", message.c_str());
    return kFailed;
}

// The parser keeps its last message until a failure replaces it. Parsing no
// text sets a known one, so a failure that leaves it in place is one that made
// no message of its own (text with no complete tag).
const char kNoTextMessage[] = "Empty xml send to xml parser";

velk_handle parse_file(const std::string &file, std::string &message) {
    xmlzParse(nullptr);
    velk_handle root = xmlzParseFile(file.c_str());
    if (!root) {
        message = xmlzLastError();
        if (message == kNoTextMessage) message = "no complete tag found";
    }
    return root;
}

int check(const std::vector<std::string> &args) {
    if (!args.empty() && is_help(args[0])) return help(kCheckHelp);
    if (args.empty()) return usage_error("check", "no file given");
    int status = kOk;
    for (const std::string &file : args) {
        std::string message;
        velk_handle root = parse_file(file, message);
        if (root) {
            std::printf("%s: ok\n", file.c_str());
            xmlFree(root);
        } else {
            std::printf("%s: %s\n", file.c_str(), message.c_str());
            status = kFailed;
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
    bool compact = false;
    std::vector<std::string> files;
    for (const std::string &arg : args) {
        if (is_help(arg)) return help(kFormatHelp);
        if (arg == "--compact")
            compact = true;
        else if (arg.size() > 1 && arg[0] == '-')
            return usage_error("format", "unknown option '" + arg + "'");
        else
            files.push_back(arg);
    }
    if (files.size() != 1)
        return usage_error("format", files.empty() ? "no file given" : "one file at a time");
    std::string message;
    velk_handle root = parse_file(files[0], message);
    if (!root) return failure(files[0] + ": " + message);
    std::string text = take_string(xmlTreeToString(root, compact ? 0 : 1));
    xmlFree(root);
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
    std::string name;
    bool named = false;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (is_help(args[i])) return help(kListHelp);
        if (args[i] == "--name") {
            if (i + 1 == args.size()) return usage_error("list show", "--name needs a NAME");
            name = args[++i];
            named = true;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            return usage_error("list show", "unknown option '" + args[i] + "'");
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 1 || files[0].empty())
        return usage_error("list show", files.size() > 1 ? "one file at a time" : "no file given");
    // A list file without entries loads as no list and leaves the error text
    // alone; a known text set first tells the two apart.
    llzListFromFile("");
    const std::string before = llzLastError();
    velk_handle list = llzListFromFile(files[0].c_str());
    if (!list && before != llzLastError()) return failure(llzLastError());
    std::string text = take_string(xmlFromList(list, make_string(named ? name : list_name_of(files[0]))));
    llFree(list);
    write_text(stdout, text + "\r\n");
    return kOk;
}

int list_pack(const std::vector<std::string> &args) {
    for (const std::string &arg : args)
        if (is_help(arg)) return help(kListHelp);
    if (args.size() != 2) return usage_error("list pack", "needs FILE.xml and OUT.lst");
    std::string message;
    velk_handle root = parse_file(args[0], message);
    if (!root) return failure(args[0] + ": " + message);
    velk_handle element = xmlzFindNode(root, -1, "list", "", "");
    velk_handle list = xmlToList(root); // sets the message when there is no list element
    xmlFree(root);
    if (!element) return failure(args[0] + ": " + xmlzLastError());
    int saved = llzListToFile(list, args[1].c_str());
    int entries = llCount(list);
    llFree(list);
    if (!saved) return failure(llzLastError());
    std::printf("%s: %d %s\n", args[1].c_str(), entries, entries == 1 ? "entry" : "entries");
    return kOk;
}

int list(const std::vector<std::string> &args) {
    if (args.empty()) return usage_error("list", "needs 'show' or 'pack'");
    if (is_help(args[0])) return help(kListHelp);
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "show") return list_show(rest);
    if (args[0] == "pack") return list_pack(rest);
    return usage_error("list", "unknown command '" + args[0] + "'");
}

int split(const std::vector<std::string> &args) {
    for (const std::string &arg : args)
        if (is_help(arg)) return help(kSplitHelp);
    if (args.empty() || args.size() > 2)
        return usage_error("split", args.empty() ? "no DELIM given" : "too many arguments");
    std::string text = args.size() == 2 ? args[1] : read_stdin();
    velk_handle list = llDelimToList(make_string(text), make_string(args[0]));
    for (velk_handle node = list; node; node = llNext(node)) {
        std::string line = take_string(llName(node)) + "\t" + take_string(llData(node)) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    llFree(list);
    return kOk;
}

} // namespace

int main(int argc, char **argv) {
    binary_streams();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage_error("", "no command given");
    if (is_help(args[0])) return help(kToolHelp);
    const std::string command = args[0];
    args.erase(args.begin());
    int status;
    if (command == "check")
        status = check(args);
    else if (command == "format")
        status = format(args);
    else if (command == "list")
        status = list(args);
    else if (command == "split")
        status = split(args);
    else
        status = usage_error("", "unknown command '" + command + "'");
    std::fflush(stdout);
    return status;
}
