// velkxml as a function: run() takes the command line's words after the
// program's name and the streams to use for standard input, output and
// error, and gives the exit status: 0 done, 1 failed, 2 usage error. A
// failed write of its output is reported on error, and fails the run.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace velkxml {

struct Streams {
    std::FILE *in;
    std::FILE *out;
    std::FILE *err;
};

int run(const std::vector<std::string> &args, const Streams &io);

} // namespace velkxml
