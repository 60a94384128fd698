#include "arguments.h"

#include <algorithm>

namespace velkxml {

namespace {

bool listed(const std::vector<std::string> &names, const std::string &name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

bool Arguments::has(const std::string &name) const {
    return std::any_of(options.begin(), options.end(), [&](const auto &o) { return o.first == name; });
}

std::string Arguments::value(const std::string &name) const {
    std::string found;
    for (const auto &o : options)
        if (o.first == name) found = o.second;
    return found;
}

Arguments sort_arguments(const std::vector<std::string> &args, const std::vector<std::string> &flags,
                         const std::vector<Valued> &valued, bool text_operands) {
    Arguments out;
    bool options_end = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (options_end || arg.size() < 2 || arg[0] != '-') {
            out.operands.push_back(arg);
            options_end = options_end || text_operands;
        } else if (arg == "--") {
            options_end = true;
        } else if (arg == "--help" || arg == "-h") {
            out.help = true;
        } else if (arg == "--version") {
            out.version = true;
        } else if (listed(flags, arg)) {
            out.options.emplace_back(arg, "");
        } else if (auto v = std::find_if(valued.begin(), valued.end(),
                                         [&](const Valued &o) { return o.name == arg; });
                   v != valued.end()) {
            if (i + 1 == args.size()) {
                if (out.error.empty()) out.error = arg + " needs a " + v->value_name;
            } else {
                out.options.emplace_back(arg, args[++i]);
            }
        } else if (out.error.empty()) {
            out.error = "unknown option '" + arg + "'";
        }
    }
    return out;
}

} // namespace velkxml
