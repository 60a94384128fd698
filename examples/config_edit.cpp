// config_edit.c in C++ (api/velk_xml.hpp): velk_config_edit_cpp config.xml
#include <iostream>

#include "velk_xml.hpp"

int main(int argc, char **argv) {
    const std::string file = argc > 1 ? argv[1] : "config.xml";
    try {
        velk::Document doc = velk::Document::parse_file_strict(file);
        velk::Node server = doc.root().child("server");
        server.child("timeout").set_text("30");
        server.set_attribute("port", "8443");
        server.child("timeout").insert_after("log", "info");
        server.child("legacy").remove();
        doc.save(file);
        std::cout << velk::Document::parse_file(file).to_string() << "\n";
    } catch (const velk::Error &e) {
        return std::cerr << file << ":" << e.line() << ":" << e.column() << ": " << e.what() << "\n", 1;
    }
}
