#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// The two-letter ISO 639-1 codes of three-letter ISO 639-2/3 language codes,
// from the iso-codes JSON tables.
class Iso639Codes {
  public:
    static constexpr const char* defaultTable = "/usr/share/iso-codes/json/iso_639-2.json";

    // The table in the file; an empty table, with a log line, when it cannot be read.
    static Iso639Codes load(const std::filesystem::path& table = defaultTable);
    // Reads the text of an iso-codes table ("639-2" or "639-3" entries with
    // "alpha_3", "bibliographic" and "alpha_2"); entries it does not
    // understand are skipped.
    static Iso639Codes parse(std::string_view json);

    // The two-letter code of a three-letter code ("deu" and "ger" give "de");
    // a two-letter code as it is; none when the language has no two-letter code.
    std::optional<std::string> twoLetterCode(std::string_view code) const;
    // The code to report for a language: its two-letter code where it has one,
    // else the code itself in lower case.
    std::string preferredCode(std::string_view code) const;
    std::size_t size() const { return twoLetter_.size(); }

  private:
    std::map<std::string, std::string, std::less<>> twoLetter_;
};

} // namespace tolvane
