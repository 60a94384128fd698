// A command's arguments sorted into options and operands, the same way for
// every command: "--" ends the options, and "-" alone is an operand
// (standard input).
#pragma once

#include <string>
#include <vector>

namespace velkxml {

struct Arguments {
    std::vector<std::string> operands;
    std::vector<std::pair<std::string, std::string>> options; // name and value ("" for a flag)
    bool help = false;                                        // --help or -h
    bool version = false;                                     // --version
    std::string error;                                        // a usage error, when not empty

    bool has(const std::string &name) const;
    // The value of the last use of an option; "" when it is not given.
    std::string value(const std::string &name) const;
};

// An option that takes the next argument as its value, and what the usage
// error calls that value when it is missing.
struct Valued {
    std::string name;
    std::string value_name;
};

// flags take no value. Options may follow operands, unless text_operands
// says that the operands are free text: then the first operand ends the
// options ("split , -1,-2").
Arguments sort_arguments(const std::vector<std::string> &args, const std::vector<std::string> &flags,
                         const std::vector<Valued> &valued = {}, bool text_operands = false);

} // namespace velkxml
