// The tool's commands as one class, whose members live in tool.cpp (check,
// format, find, get, lists, split) and tree_commands.cpp (select, paths,
// edit).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "arguments.h"
#include "document.h"
#include "tool.h"
#include "velk_xml.h"

namespace velkxml {

// Exit statuses. kNotRead: check and edit, for well-formed XML that the
// library reads otherwise than XML means it; format, for text shown that is
// not well-formed XML.
constexpr int kOk = 0, kFailed = 1, kUsage = 2, kNotRead = 3;

// The library's text of the whole document (xmlTreeToString), with the
// document type declaration set aside put back after the top-level
// comments and instructions that came before it. "" when the library cannot
// make the text.
std::string library_text(const Document &doc, int indent);

// A text as the platform writes lines: the library's CR LF as LF on POSIX.
std::string platform_lines(std::string text);

// One run of the tool over its streams. Standard output is written only
// through out(), which keeps the first failure of a write; run() reports it.
class Tool {
  public:
    explicit Tool(const Streams &io) : io_(io) {}
    int run(const std::vector<std::string> &args);

  private:
    using Run = int (Tool::*)(const std::vector<std::string> &);
    struct Command {
        const char *synopsis; // its first word names it
        const char *summary;
        Run run; // null for a line of help of the command before
    };
    static const Command kCommands[];

    // Bytes to standard output as they are; as_lines turns each CR LF into
    // the platform's line end (the library's texts).
    void out(std::string_view bytes, bool as_lines = false);
    void report(const std::string &line);
    int failure(const std::string &message);
    int usage_error(const char *command, const std::string &what);
    int help(const char *text, const char *more = "");
    int tool_help();
    int version() { return help("velkxml " VELK_XML_VERSION_STRING "\n"); }
    int answered(const Arguments &a, const char *command, const char *help_text, const char *more = "");
    int finish(int status);
    void flush_out();

    int checked(const std::string &file);
    bool parsed(const std::string &file);
    bool load_shown(Document &doc, const std::string &file, bool *warned = nullptr);
    bool load_list_from_stdin(velk_handle &list, std::string &error);

    int check(const std::vector<std::string> &args);
    int format(const std::vector<std::string> &args);
    int list(const std::vector<std::string> &args);
    int list_show(const std::vector<std::string> &args);
    int list_pack(const std::vector<std::string> &args);
    int split(const std::vector<std::string> &args);
    int find(const std::vector<std::string> &args);
    int get(const std::vector<std::string> &args);
    int select(const std::vector<std::string> &args);
    int paths(const std::vector<std::string> &args);
    int edit(const std::vector<std::string> &args);

    Streams io_;
    int write_errno_ = 0; // the reason the first failed write gave
};

} // namespace velkxml
