// The INI parser on arbitrary text, then values set through the document.
// Writing a document out and reading it back must answer every lookup as
// the document did, and a value set must read back as written.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <utility>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "settings/IniDocument.h"
#include "settings/Text.h"

namespace {

using kelm::IniDocument;

// Bounds the lookups per input: every lookup walks the document.
constexpr std::size_t kMaxProbes = 32;

// The names a lookup could ask for: the text before '=' on each line.
std::vector<std::string> CandidateKeys(std::string_view text) {
    std::vector<std::string> keys;
    while (!text.empty() && keys.size() < kMaxProbes) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos) keys.emplace_back(kelm::Trim(line.substr(0, eq)));
    }
    return keys;
}

void CheckSameAnswers(const IniDocument& a, const IniDocument& b, const std::vector<std::string>& keys) {
    const std::vector<std::string> sections = a.SectionNames();
    FUZZ_CHECK(sections == b.SectionNames());
    for (std::size_t s = 0; s < sections.size() && s < kMaxProbes; ++s)
        for (const std::string& key : keys) FUZZ_CHECK(a.Get(sections[s], key) == b.Get(sections[s], key));
}

IniDocument RoundTrip(const IniDocument& doc) {
    const std::string text = doc.Serialize();
    IniDocument again = IniDocument::Parse(text);
    // Once written by this code, a file reads and writes back unchanged.
    FUZZ_CHECK(again.Serialize() == text);
    return again;
}

// Keys this file format cannot hold: '=' ends a key and a leading '['
// starts a section. The programs' own keys are fixed names and numbers.
bool StorableKey(std::string_view key) {
    key = kelm::Trim(key);
    return key.find('=') == std::string_view::npos && (key.empty() || key.front() != '[');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string text = input.ConsumeRandomLengthString(size);
    IniDocument doc = IniDocument::Parse(text);
    std::vector<std::string> keys = CandidateKeys(text);
    CheckSameAnswers(doc, RoundTrip(doc), keys);

    std::vector<std::pair<std::string, std::string>> written;
    while (input.remaining_bytes() > 0 && written.size() < 8) {
        std::string section = input.ConsumeRandomLengthString(40);
        std::string key = input.ConsumeRandomLengthString(20);
        const std::string value = input.ConsumeRandomLengthString(80);
        if (!StorableKey(key)) continue;
        doc.Set(section, key, value);
        const auto read = doc.Get(section, key);
        FUZZ_CHECK(read.has_value() && *read == kelm::fuzz::AsWritten(value));
        keys.push_back(key);
        written.emplace_back(std::move(section), std::move(key));
    }
    const IniDocument reread = RoundTrip(doc);
    CheckSameAnswers(doc, reread, keys);
    for (const auto& [section, key] : written) FUZZ_CHECK(doc.Get(section, key) == reread.Get(section, key));
    return 0;
}
