// The baseline of scripts/bench lint: reads a file and takes every line with the core's
// ScriptBuffer, as lint does before it checks anything. Prints the line count.

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "core/script/ScriptBuffer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: lint_baseline FILE\n";
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary | std::ios::ate);
    std::string text(static_cast<std::size_t>(file.tellg()), '\0');
    file.seekg(0);
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    ScriptBuffer buffer;
    buffer.SetText(std::move(text));
    std::size_t lines = 0, bytes = 0;
    while (!buffer.IsEmpty()) {
        bytes += buffer.TakeLine().text.size();
        ++lines;
    }
    std::cout << lines << " lines, " << bytes << " bytes\n";
    return 0;
}
