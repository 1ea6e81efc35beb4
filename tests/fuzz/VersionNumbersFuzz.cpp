// Fuzzes the version texts of CMV against a simple reference model: removing the dots, the
// numeric test, the comparison, and the installed version that remembers its check.
//
//   input = text A NUL text B (B empty when there is no NUL)

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/script/InstalledVersionText.h"
#include "core/script/VersionNumbers.h"
#include "fuzz/FuzzInput.h"

namespace {

std::string ModelRemoveDots(std::string_view text) {
    std::string result;
    std::copy_if(text.begin(), text.end(), std::back_inserter(result),
                 [](char c) { return c != '.'; });
    return result;
}

// A number: once the blanks and tabs around it are trimmed, an optional sign, then one or more
// digits and nothing else.
bool ModelIsNumeric(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return false;
    }
    std::string_view number = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (number.front() == '+' || number.front() == '-') {
        number.remove_prefix(1);
    }
    return !number.empty() &&
           std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Character codes as unsigned bytes from the left; the first difference decides, and a text
// that goes on after the other ends sorts after it.
bool ModelIsNewer(std::string_view listed, std::string_view installed) {
    const std::size_t common = std::min(listed.size(), installed.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto a = static_cast<unsigned char>(listed[i]);
        const auto b = static_cast<unsigned char>(installed[i]);
        if (a != b) {
            return a > b;
        }
    }
    return listed.size() > installed.size();
}

void CheckInstalledVersion(InstalledVersionText& installed, std::string_view text) {
    installed = std::string(text);
    FUZZ_CHECK(installed.Text() == text);  // nothing changes before a CMV line reads it
    const bool numeric = ModelIsNumeric(ModelRemoveDots(text));
    for (int read = 0; read < 2; ++read) {  // every CMV line after the first sees the same
        FUZZ_CHECK(installed.RemoveDotsAndTestNumeric() == numeric);
        FUZZ_CHECK(installed.Text() == ModelRemoveDots(text));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string_view> parts = SplitAtNul(data, size);
    const std::string_view a = parts[0];
    const std::string_view b = parts.size() > 1 ? parts[1] : std::string_view();

    for (const std::string_view text : {a, b}) {
        FUZZ_CHECK(RemoveDots(text) == ModelRemoveDots(text));
        FUZZ_CHECK(IsNumeric(text) == ModelIsNumeric(text));
    }
    FUZZ_CHECK(IsNewerVersion(a, b) == ModelIsNewer(a, b));
    FUZZ_CHECK(!(IsNewerVersion(a, b) && IsNewerVersion(b, a)));
    FUZZ_CHECK(!IsNewerVersion(a, a));

    InstalledVersionText installed;
    CheckInstalledVersion(installed, a);
    CheckInstalledVersion(installed, b);  // a new value is checked afresh
    return 0;
}
