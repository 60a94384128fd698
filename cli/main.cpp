// velkxml: checks and formats XML files, shows and packs list files, and
// splits delimited text, all through the library's exported functions.
#include "text_io.h"
#include "tool.h"

int main(int argc, char **argv) {
    velkxml::prepare_streams();
    return velkxml::run({argv + 1, argv + argc}, {stdin, stdout, stderr});
}
