// Appends children to one element with a VelkAppender (api/velk_edit.h), and
// beside it in the same run parses the document that results, and appends
// the same children with xmlzAddSimpleChild, which walks to the last child
// each time. The appender must stay linear: its time for 100,000 children
// within twice the parse's, and twice the children taking twice the time.
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "velk_edit.h"

namespace {

// Seconds to append n children (tag "item", text "value N") to <r>, and
// the document's compact text.
double appended(int n, std::string *text) {
    velk_handle doc = xmlzParse("<r></r>");
    std::vector<std::string> values;
    for (int i = 0; i < n; ++i)
        values.push_back("value " + std::to_string(i));
    const double taken = seconds([&] {
        VelkAppender appender;
        velk_appender_start(&appender, doc);
        for (const std::string &value : values)
            velk_append(&appender, "item", value.c_str());
    });
    if (text) *text = xmlzTreeToString(doc, 0);
    xmlFree(doc);
    return taken;
}

double simple_children(int n) {
    velk_handle doc = xmlzParse("<r></r>");
    std::vector<velk_handle> made;
    const double taken = seconds([&] {
        for (int i = 0; i < n; ++i)
            made.push_back(xmlzAddSimpleChild(doc, "item", ("value " + std::to_string(i)).c_str()));
    });
    for (velk_handle element : made) {
        xmlFree(xmlChild(element));
        xmlFree(element);
    }
    xmlFree(doc);
    return taken;
}

} // namespace

int main() {
    std::printf("%-9s %12s %12s %8s %18s\n", "children", "appender s", "parse s", "ratio",
                "AddSimpleChild s");
    for (int n : {25000, 50000, 100000, 200000}) {
        std::vector<double> append_times, parse_times;
        std::string text;
        for (int run = 0; run < 5; ++run) {
            append_times.push_back(appended(n, run == 0 ? &text : nullptr));
            parse_times.push_back(seconds([&] { xmlFree(xmlzParse(text.c_str())); }));
        }
        const double a = median(append_times), p = median(parse_times);
        std::printf("%-9d %12.4f %12.4f %8.2f", n, a, p, p > 0 ? a / p : 0.0);
        if (n <= 50000)
            std::printf(" %18.3f\n", simple_children(n));
        else
            std::printf(" %18s\n", "-");
    }
}
