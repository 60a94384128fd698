// Runs of the tool in this process, through run() over streams of files in
// a work folder, and what each run must have printed, made and left alone.
#pragma once

#include <string>
#include <vector>

namespace tool_test {

// The folder every run works in (below the test's own), made afresh with the
// examples, the files of tests/cli/files and the small files the cases name;
// the current folder from then on.
void enter_work_folder();

// The project's source folder, as seen from the work folder.
std::string source_path(const std::string &relative);

// Reads a whole file; "" when it cannot be read.
std::string file_bytes(const std::string &name);

struct Printed {
    int status;
    std::string out; // line ends as LF, whatever the platform writes
    std::string err;
};

// One run in this process: standard input from a file (none: an empty one),
// standard output and error to files of their own, or both to one file (as a
// terminal shows them) when merged.
Printed run_tool(const std::vector<std::string> &args, const std::string &input = "", bool merged = false);

class Case {
  public:
    Case(std::vector<std::string> args, int status) : args_(std::move(args)), status_(status) {}
    // Exactly what standard output or error must hold.
    Case &out(std::string text) { return set(out_, std::move(text)); }
    Case &err(std::string text) { return set(err_, std::move(text)); }
    // A regular expression that standard error must match whole.
    Case &err_match(std::string pattern) { return set(err_match_, std::move(pattern)); }
    // A text that standard output or error must hold.
    Case &contains(std::string text) { return set(contains_, std::move(text)); }
    Case &in(std::string file) { return set(input_, std::move(file)); }
    // A file the run must make; it is removed before and after.
    Case &creates(std::string file) { return set(creates_, std::move(file)); }
    // A file whose bytes the run must leave as they were.
    Case &unchanged(std::string file) { return set(unchanged_, std::move(file)); }

    // Runs the tool and reports each expectation it misses.
    void check() const;

  private:
    struct Wanted {
        bool given = false;
        std::string text;
    };
    Case &set(Wanted &w, std::string text) {
        w = {true, std::move(text)};
        return *this;
    }
    std::vector<std::string> args_;
    int status_;
    Wanted out_, err_, err_match_, contains_, input_, creates_, unchanged_;
};

} // namespace tool_test
